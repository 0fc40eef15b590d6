#include "settings/IniFile.h"

#include "platform/CodePage932.h"
#include "platform/SafeFileWriter.h"
#include "platform/WholeFileReader.h"

#include <string_view>

namespace {

std::string_view Trim(std::string_view s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) {
        return std::string_view();
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Names compare like the profile functions compare them: ASCII letters without regard to case.
std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

// The profile functions drop one pair of quotes around a value.
std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\''))) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

} // namespace

IniFile::IniFile(std::string path) : path(std::move(path)) {}

bool IniFile::Load() {
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
    Parse(text);
    return true;
}

void IniFile::Parse(const std::string& raw) {
    std::string text = raw.compare(0, 3, "\xEF\xBB\xBF") == 0 ? raw.substr(3) : raw;
    if (!CodePage932::IsValidUtf8(text)) {
        text = CodePage932::ToUtf8(text);
    }
    Section* current = nullptr;
    const std::string_view all(text);
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        std::string_view t = Trim(all.substr(pos, end - pos));
        pos = end + 1;
        if (t.empty() || t[0] == ';') {
            continue;
        }
        if (t[0] == '[') {
            size_t close = t.find(']');
            current = &SectionFor(
                std::string(Trim(t.substr(1, close == std::string_view::npos ? close : close - 1))));
            continue;
        }
        size_t eq = t.find('=');
        if (!current || eq == std::string_view::npos) {
            continue;
        }
        std::string_view key = Trim(t.substr(0, eq));
        // The first occurrence wins, as on Windows.
        if (current->keys.emplace(Folded(key), current->entries.size()).second) {
            current->entries.push_back(Entry{std::string(key), std::string(Unquote(Trim(t.substr(eq + 1))))});
        }
    }
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const Section& s : sections) {
        out += "[" + s.name + "]\n";
        for (const Entry& e : s.entries) {
            out += e.key;
            out += '=';
            out += e.value;
            out += '\n';
        }
        out += "\n";
    }
    return out;
}

bool IniFile::Save() const {
    if (keepFile) {
        return false;
    }
    const std::string text = Serialize();
    return SafeFileWriter::Write(path, text.data(), text.size());
}

bool IniFile::Get(const std::string& section, const std::string& key, std::string& value) const {
    const Section* s = FindSection(section);
    const Entry* e = s ? FindEntry(*s, key) : nullptr;
    if (!e) {
        return false;
    }
    value = e->value;
    return true;
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
    dirty = true;
    // A line break in a value would split it into lines that read back as other keys.
    std::string clean = value;
    for (char& c : clean) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    Section& s = SectionFor(section);
    auto found = s.keys.emplace(Folded(key), s.entries.size());
    if (found.second) {
        s.entries.push_back(Entry{key, clean});
    } else {
        s.entries[found.first->second].value = clean;
    }
}

IniFile::Section& IniFile::SectionFor(const std::string& name) {
    auto found = sectionIndex.emplace(Folded(name), sections.size());
    if (found.second) {
        sections.push_back(Section{name, {}, {}});
    }
    return sections[found.first->second];
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
    auto found = sectionIndex.find(Folded(name));
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
}

const IniFile::Entry* IniFile::FindEntry(const Section& section, const std::string& key) {
    auto found = section.keys.find(Folded(key));
    return found == section.keys.end() ? nullptr : &section.entries[found->second];
}
