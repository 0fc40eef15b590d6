#include "settings/TypedStore.h"

#include "platform/SafeFileWriter.h"
#include "platform/WholeFileReader.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

namespace {

// Registry names compare without regard to the case of ASCII letters.
std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

void MakeDirectories(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            mkdir(dir.substr(0, i).c_str(), 0700);
        }
    }
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '"':
            out += "\\\"";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Section and value names are written quoted so that any character except a quote survives.
std::string Quote(const std::string& s) {
    return "\"" + Escape(s) + "\"";
}

// Reads a quoted name starting at pos; returns the position after the closing quote or npos.
size_t ReadQuoted(const std::string& line, size_t pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return std::string::npos;
    }
    std::string raw;
    for (size_t i = pos + 1; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            raw += line[i];
            raw += line[++i];
        } else if (line[i] == '"') {
            out = Unescape(raw);
            return i + 1;
        } else {
            raw += line[i];
        }
    }
    return std::string::npos;
}

std::string IntegerBytes(uint64_t v, int n) {
    std::string bytes;
    for (int i = 0; i < n; ++i) {
        bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return bytes;
}

uint64_t BytesToInteger(const std::string& bytes) {
    uint64_t v = 0;
    for (size_t i = 0; i < bytes.size() && i < 8; ++i) {
        v |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    }
    return v;
}

} // namespace

std::string TypedStore::DefaultPath() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/MOLDEK Soft/KIVRAN/registry";
}

TypedStore::TypedStore(std::string path) : path(std::move(path)) {}

TypedStore::Value TypedStore::Dword(uint32_t v) {
    return Value{Type::Dword, IntegerBytes(v, 4)};
}

TypedStore::Value TypedStore::Qword(uint64_t v) {
    return Value{Type::Qword, IntegerBytes(v, 8)};
}

TypedStore::Value TypedStore::String(const std::string& text) {
    return Value{Type::String, text + std::string(1, '\0')};
}

bool TypedStore::Load() {
    sections.clear();
    sectionIndex.clear();
    dirty = false;
    keepFile = false;
    std::string text;
    WholeFileReader::Result result = WholeFileReader::Read(path, kMaxFileSize, text);
    if (result != WholeFileReader::Result::Read) {
        keepFile = result != WholeFileReader::Result::Missing;
        return false;
    }
    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        ParseLine(current, text.substr(pos, end - pos));
        pos = end + 1;
    }
    return true;
}

// Lines: ["section"]  or  "name"=dword:HEX  "name"=qword:HEX  "name"=sz:"text"
void TypedStore::ParseLine(Section*& current, const std::string& line) {
    if (line.empty() || line[0] == '#') {
        return;
    }
    std::string name;
    if (line[0] == '[') {
        size_t end = ReadQuoted(line, 1, name);
        if (end != std::string::npos) {
            current = &SectionFor(name);
        }
        return;
    }
    size_t end = ReadQuoted(line, 0, name);
    if (!current || end == std::string::npos || end >= line.size() || line[end] != '=') {
        return;
    }
    std::string rest = line.substr(end + 1);
    Value value;
    if (rest.compare(0, 6, "dword:") == 0) {
        value = Dword(static_cast<uint32_t>(std::strtoull(rest.c_str() + 6, nullptr, 16)));
    } else if (rest.compare(0, 6, "qword:") == 0) {
        value = Qword(std::strtoull(rest.c_str() + 6, nullptr, 16));
    } else if (rest.compare(0, 3, "sz:") == 0) {
        std::string text;
        if (ReadQuoted(rest, 3, text) == std::string::npos) {
            return;
        }
        value = String(text);
    } else {
        return;
    }
    // The first of two values of the same name is the one a query finds.
    if (current->names.emplace(Folded(name), current->entries.size()).second) {
        current->entries.push_back(Entry{name, value});
    }
}

bool TypedStore::Save() const {
    if (keepFile) {
        return false;
    }
    size_t slash = path.rfind('/');
    if (slash != std::string::npos) {
        MakeDirectories(path.substr(0, slash));
    }
    std::ostringstream out;
    out << "# KIVRAN per-user settings: typed values by section\n";
    for (const Section& s : sections) {
        out << "[" << Quote(s.name) << "]\n";
        for (const Entry& e : s.entries) {
            char hex[32];
            out << Quote(e.name) << "=";
            switch (e.value.type) {
            case Type::Dword:
                std::snprintf(hex, sizeof hex, "%08llx",
                              static_cast<unsigned long long>(BytesToInteger(e.value.bytes)));
                out << "dword:" << hex;
                break;
            case Type::Qword:
                std::snprintf(hex, sizeof hex, "%016llx",
                              static_cast<unsigned long long>(BytesToInteger(e.value.bytes)));
                out << "qword:" << hex;
                break;
            case Type::String: {
                std::string text = e.value.bytes;
                size_t zero = text.find('\0');
                out << "sz:" << Quote(zero == std::string::npos ? text : text.substr(0, zero));
                break;
            }
            }
            out << "\n";
        }
    }
    const std::string text = out.str();
    return SafeFileWriter::Write(path, text.data(), text.size(), 0600);
}

bool TypedStore::Query(const std::string& section, const std::string& name, Value& value) const {
    const Section* s = FindSection(section);
    if (!s) {
        return false;
    }
    auto found = s->names.find(Folded(name));
    if (found == s->names.end()) {
        return false;
    }
    value = s->entries[found->second].value;
    return true;
}

void TypedStore::Set(const std::string& section, const std::string& name, const Value& value) {
    dirty = true;
    Section& s = SectionFor(section);
    auto found = s.names.emplace(Folded(name), s.entries.size());
    if (found.second) {
        s.entries.push_back(Entry{name, value});
    } else {
        s.entries[found.first->second].value = value;
    }
}

TypedStore::Section& TypedStore::SectionFor(const std::string& name) {
    auto found = sectionIndex.emplace(Folded(name), sections.size());
    if (found.second) {
        sections.push_back(Section{name, {}, {}});
    }
    return sections[found.first->second];
}

const TypedStore::Section* TypedStore::FindSection(const std::string& name) const {
    auto found = sectionIndex.find(Folded(name));
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
}
