#pragma once

#include <cstdint>
#include <string>
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

    explicit TypedStore(std::string path = DefaultPath());

    bool Load();
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
    };

    Section& SectionFor(const std::string& name);
    const Section* FindSection(const std::string& name) const;
    void ParseLine(Section*& current, const std::string& line);

    std::string path;
    std::vector<Section> sections;
    bool dirty = false;
};
