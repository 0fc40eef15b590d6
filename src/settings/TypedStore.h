#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The per-user typed key-value store that stands in for the Windows registry key of the editor: one section
// per subkey, each value a DWORD, a QWORD or a string, kept apart by type. It lives in one text file under
// the XDG config directory ("$XDG_CONFIG_HOME/MOLDEK Soft/KIVRAN/registry", ~/.config when XDG_CONFIG_HOME is
// unset). Values are held as their raw little-endian bytes, so a read of the wrong width behaves like a
// registry query: a value larger than the reader's buffer fails, a smaller one fills the low bytes.
class TypedStore {
public:
    enum class Type { Dword, Qword, String };

    struct Value {
        Type type = Type::Dword;
        std::string bytes; // little-endian integer bytes, or the string with its terminating zero
    };

    // Location of the store's file for the current user.
    static std::string DefaultPath();

    // A larger store is not read.
    static constexpr uint64_t kMaxFileSize = 16ull * 1024 * 1024;

    explicit TypedStore(std::string path = DefaultPath());

    // Reads the store; false when it is missing or cannot be read, which leaves it empty. Only a regular file
    // of at most kMaxFileSize bytes is read; a FIFO, a device or a link to one never blocks. Names are looked
    // up through hash tables, so reading takes time in proportion to the file's size.
    bool Load();
    // Writes the store (private to the user when new); a file that exists but could not be read by Load is
    // left as it is.
    bool Save() const;

    // Section "" is the root key.
    bool Query(const std::string& section, const std::string& name, Value& value) const;
    void Set(const std::string& section, const std::string& name, const Value& value);

    static Value Dword(uint32_t v);
    static Value Qword(uint64_t v);
    static Value String(const std::string& text);

    bool IsDirty() const { return dirty; }
    const std::string& Path() const { return path; }

private:
    struct Entry {
        std::string name;
        Value value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, size_t> names; // folded name -> index in entries
    };

    Section& SectionFor(const std::string& name);
    const Section* FindSection(const std::string& name) const;
    void ParseLine(Section*& current, const std::string& line);

    std::string path;
    std::vector<Section> sections;
    std::unordered_map<std::string, size_t> sectionIndex; // folded name -> index in sections
    bool dirty = false;
    bool keepFile = false; // the file exists but was not read
};
