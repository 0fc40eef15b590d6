#pragma once

#include <cstdint>
#include <string>

// Where DLL and memory-mapped-file data come from, and the file-size limit of file mode. Filled from the
// settings by the owner of the data store.
struct DataSourceSettings {
    std::string dllFileName = "KVRDLL.DLL";
    std::string readFuncName = "KVRREAD";
    std::string writeFuncName = "KVRWRITE";
    uint64_t dllMemorySize = 1024;
    std::string mmfName = "KVRMMF";
    std::string mutexName = "KVRMUTEX";
    uint64_t mmfMemorySize = 1024;
    uint64_t maxFileSizeForMemory = 10000000;
};
