/* An example owner of a shared memory block for KIVRAN's memory-mapped-file mode. It creates the POSIX
 * shared memory object "/<name>" and, unless the mutex name is empty, the named semaphore "/<mutex>" that
 * guards it (value 1 = free), and changes the block while holding the semaphore.
 *
 *   kvrmmf_owner [--name KVRMMF] [--mutex KVRMUTEX] [--size 1024] [--interval 100] [--control]
 *
 * Without --control it counts: every interval milliseconds it adds 1 to the 32-bit little-endian counter at
 * offset 0, until interrupted. With --control it reads commands, one a line, from standard input and answers
 * each with a line ("ok", a value, or "error"), which is how tests drive it:
 *   lock | unlock | set OFFSET VALUE | get OFFSET | fill VALUE | quit
 * It prints "ready" once the objects exist and removes both when it ends. */
#include <errno.h>
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

static volatile sig_atomic_t stopping;

static void Stop(int signal_number) {
    (void)signal_number;
    stopping = 1;
}

static void Lock(sem_t* mutex) {
    while (mutex != NULL && sem_wait(mutex) != 0 && errno == EINTR && !stopping) {
    }
}

static void Unlock(sem_t* mutex) {
    if (mutex != NULL) {
        sem_post(mutex);
    }
}

static void Count(unsigned char* block, size_t size, sem_t* mutex, long interval) {
    struct timespec pause = {interval / 1000, (interval % 1000) * 1000000L};
    while (!stopping) {
        Lock(mutex);
        if (size >= 4) {
            unsigned long counter = block[0] | block[1] << 8 | (unsigned long)block[2] << 16 |
                                    (unsigned long)block[3] << 24;
            counter += 1;
            for (int i = 0; i < 4; ++i) {
                block[i] = (unsigned char)(counter >> (8 * i));
            }
        }
        Unlock(mutex);
        nanosleep(&pause, NULL);
    }
}

static void Control(unsigned char* block, size_t size, sem_t* mutex) {
    char line[128];
    while (!stopping && fgets(line, sizeof line, stdin) != NULL) {
        unsigned long offset = 0, value = 0;
        if (strncmp(line, "lock", 4) == 0 && mutex != NULL) {
            Lock(mutex);
            puts("ok");
        } else if (strncmp(line, "unlock", 6) == 0 && mutex != NULL) {
            Unlock(mutex);
            puts("ok");
        } else if (sscanf(line, "set %lu %lu", &offset, &value) == 2 && offset < size) {
            block[offset] = (unsigned char)value;
            puts("ok");
        } else if (sscanf(line, "get %lu", &offset) == 1 && offset < size) {
            printf("%u\n", block[offset]);
        } else if (sscanf(line, "fill %lu", &value) == 1) {
            memset(block, (int)value, size);
            puts("ok");
        } else if (strncmp(line, "quit", 4) == 0) {
            break;
        } else {
            puts("error");
        }
        fflush(stdout);
    }
}

int main(int argc, char** argv) {
    const char* name = "KVRMMF";
    const char* mutexName = "KVRMUTEX";
    size_t size = 1024;
    long interval = 100;
    int control = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--control") == 0) {
            control = 1;
        } else if (i + 1 < argc && strcmp(argv[i], "--name") == 0) {
            name = argv[++i];
        } else if (i + 1 < argc && strcmp(argv[i], "--mutex") == 0) {
            mutexName = argv[++i];
        } else if (i + 1 < argc && strcmp(argv[i], "--size") == 0) {
            size = strtoul(argv[++i], NULL, 10);
        } else if (i + 1 < argc && strcmp(argv[i], "--interval") == 0) {
            interval = strtol(argv[++i], NULL, 10);
        } else {
            fprintf(stderr, "usage: %s [--name N] [--mutex M] [--size BYTES] [--interval MS] [--control]\n",
                    argv[0]);
            return 2;
        }
    }
    char objectName[256], semaphoreName[256];
    snprintf(objectName, sizeof objectName, "/%s", name);
    snprintf(semaphoreName, sizeof semaphoreName, "/%s", mutexName);

    int fd = shm_open(objectName, O_RDWR | O_CREAT, 0600);
    if (fd < 0 || size == 0 || ftruncate(fd, (off_t)size) != 0) {
        perror("shared memory");
        return 1;
    }
    unsigned char* block = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (block == MAP_FAILED) {
        perror("mmap");
        shm_unlink(objectName);
        return 1;
    }
    for (size_t i = 0; i < size; ++i) {
        block[i] = (unsigned char)i;
    }
    sem_t* mutex = NULL;
    if (mutexName[0] != '\0') {
        mutex = sem_open(semaphoreName, O_CREAT, 0600, 1);
        if (mutex == SEM_FAILED) {
            perror("sem_open");
            shm_unlink(objectName);
            return 1;
        }
    }
    signal(SIGINT, Stop);
    signal(SIGTERM, Stop);
    puts("ready");
    fflush(stdout);

    if (control) {
        Control(block, size, mutex);
    } else {
        Count(block, size, mutex, interval);
    }

    munmap(block, size);
    shm_unlink(objectName);
    if (mutex != NULL) {
        sem_close(mutex);
        sem_unlink(semaphoreName);
    }
    return 0;
}
