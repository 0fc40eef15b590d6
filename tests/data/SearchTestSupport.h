#pragma once

#include "data/CDataStore.h"
#include "data/SearchPattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

// Small helpers shared by the search and replace tests.
namespace search_test {

using Bytes = std::vector<unsigned char>;

inline void Load(CDataStore& store, const Bytes& bytes) {
    store.NewBuffer();
    if (!bytes.empty()) {
        ASSERT_EQ(store.InsertData(0, bytes.data(), bytes.size(), 0, 0), 1);
    }
    store.SetModified(0);
}

inline Bytes Contents(const CDataStore& store) {
    Bytes bytes(store.GetDataSize());
    if (!bytes.empty()) {
        EXPECT_EQ(store.ReadData(0, bytes.data(), bytes.size()), bytes.size());
    }
    return bytes;
}

inline SearchPattern Pattern(std::initializer_list<unsigned char> bytes) {
    SearchPattern pattern;
    for (unsigned char byte : bytes) {
        pattern.bytes[pattern.length++] = byte;
    }
    return pattern;
}

// The example library keeps 4096 bytes of memory for the whole process; each test writes what it needs.
inline const std::string& ExampleLibrary() {
    static const std::string path = std::string(KIVRAN_LIB_DIR) + "/libkvrdll.so";
    return path;
}

inline void AttachLibrary(CDataStore& store, const Bytes& contents) {
    ASSERT_EQ(::access(ExampleLibrary().c_str(), R_OK), 0) << ExampleLibrary() << " missing";
    DataSourceSettings settings;
    settings.dllFileName = ExampleLibrary();
    settings.dllMemorySize = contents.size();
    store.SetSettings(settings);
    ASSERT_TRUE(store.AttachSource(CDataStore::kModeDll).success);
    ASSERT_EQ(store.WriteData(0, contents.data(), contents.size(), 1, 0), contents.size());
}

} // namespace search_test
