#pragma once

#include <string>
#include <vector>

// A Windows-INI file ("[Section]" lines followed by "key=value" lines) kept in memory between Load and Save.
// Sections and keys are found case-insensitively, as the Windows profile functions do; values are kept as
// text. Text is UTF-8; a file that is not valid UTF-8 was written on Windows and is read as code page 932.
class IniFile {
public:
    explicit IniFile(std::string path = std::string());

    // Reads the file; a missing or unreadable file leaves the object empty and returns false.
    bool Load();
    // Writes the whole file (through a temporary file renamed over it); false when it cannot be written.
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
    };

    Section* FindSection(const std::string& name);
    const Section* FindSection(const std::string& name) const;

    std::string path;
    std::vector<Section> sections;
    bool dirty = false;
};
