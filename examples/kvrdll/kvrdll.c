/* An example data library for KIVRAN's DLL mode: it exports a read and a write function over a block of
 * memory inside the library. Replace the block with whatever your library reaches (a device, another
 * program's memory, a simulator); keep the two signatures.
 *
 * KIVRAN calls, on its user-interface thread, one call at a time:
 *   int32_t KVRREAD(uint64_t offset, unsigned char* buffer, uint64_t count)   fill buffer, return bytes placed
 *   int32_t KVRWRITE(uint64_t offset, unsigned char* buffer, uint64_t count)  take bytes, return bytes taken
 * It never asks for bytes at or beyond its "DLL memory size" setting and clips count to it. */
#include <stdint.h>
#include <string.h>

#define KVR_EXPORT __attribute__((visibility("default")))
#define KVR_MEMORY_SIZE 4096

static unsigned char memory[KVR_MEMORY_SIZE];
static int initialised;

/* A recognisable start pattern: every byte holds the low byte of its own offset. */
static void Initialise(void) {
    if (!initialised) {
        for (int i = 0; i < KVR_MEMORY_SIZE; ++i) {
            memory[i] = (unsigned char)i;
        }
        initialised = 1;
    }
}

static uint64_t Available(uint64_t offset, uint64_t count) {
    if (offset >= KVR_MEMORY_SIZE) {
        return 0;
    }
    return count < KVR_MEMORY_SIZE - offset ? count : KVR_MEMORY_SIZE - offset;
}

KVR_EXPORT int32_t KVRREAD(uint64_t offset, unsigned char* buffer, uint64_t count) {
    Initialise();
    uint64_t n = Available(offset, count);
    memcpy(buffer, memory + offset, (size_t)n);
    return (int32_t)n;
}

#ifndef KVRDLL_READ_ONLY
KVR_EXPORT int32_t KVRWRITE(uint64_t offset, unsigned char* buffer, uint64_t count) {
    Initialise();
    uint64_t n = Available(offset, count);
    memcpy(memory + offset, buffer, (size_t)n);
    return (int32_t)n;
}
#endif
