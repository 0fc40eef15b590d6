#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// A Windows-INI file ("[Section]" lines followed by "key=value" lines) kept in memory between Load and Save.
// Sections and keys are found case-insensitively, as the Windows profile functions do; values are kept as
// text. Text is UTF-8; a file that is not valid UTF-8 was written on Windows and is read as code page 932.
// Look-ups go through hash tables, so reading and querying take time in proportion to the file's size;
// sections and keys keep the file's order for writing.
class IniFile {
public:
    // Larger settings files are not read.
    static constexpr uint64_t kMaxFileSize = 16ull * 1024 * 1024;

    explicit IniFile(std::string path = std::string());

    // Reads the file; a missing or unreadable file leaves the object empty and returns false. Only a regular
    // file of at most kMaxFileSize bytes is read; a FIFO, a device or a link to one never blocks.
    bool Load();
    // Writes the whole file (through a temporary file renamed over it); false when it cannot be written. A
    // file that exists but could not be read by Load is left as it is, so that nothing in it is lost.
    bool Save() const;

    bool Get(const std::string& section, const std::string& key, std::string& value) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);

    // Parses INI text (already UTF-8 or code page 932); used by Load and by tests.
    void Parse(const std::string& text);
    std::string Serialize() const;

    const std::string& Path() const { return path; }
    bool IsDirty() const { return dirty; }

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, size_t> keys; // folded key -> index in entries
    };

    // The section of that name, added at the end when absent.
    Section& SectionFor(const std::string& name);
    const Section* FindSection(const std::string& name) const;
    static const Entry* FindEntry(const Section& section, const std::string& key);

    std::string path;
    std::vector<Section> sections;
    std::unordered_map<std::string, size_t> sectionIndex; // folded name -> index in sections
    bool dirty = false;
    bool keepFile = false; // the file exists but was not read
};
