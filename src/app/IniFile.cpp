#include "app/IniFile.h"

#include "platform/CodePage932.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return std::string();
    }
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The profile functions drop one pair of quotes around a value.
std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\''))) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

} // namespace

IniFile::IniFile(std::string path) : path(std::move(path)) {}

bool IniFile::Load() {
    sections.clear();
    dirty = false;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    Parse(buffer.str());
    return true;
}

void IniFile::Parse(const std::string& raw) {
    std::string text = raw;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    if (!CodePage932::IsValidUtf8(text)) {
        text = CodePage932::ToUtf8(text);
    }
    Section* current = nullptr;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == ';') {
            continue;
        }
        if (t[0] == '[') {
            size_t close = t.find(']');
            std::string name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = FindSection(name);
            if (!current) {
                sections.push_back(Section{name, {}});
                current = &sections.back();
            }
            continue;
        }
        size_t eq = t.find('=');
        if (!current || eq == std::string::npos) {
            continue;
        }
        std::string key = Trim(t.substr(0, eq));
        std::string value = Unquote(Trim(t.substr(eq + 1)));
        bool replaced = false;
        for (Entry& e : current->entries) {
            if (SameName(e.key, key)) {
                replaced = true; // the first occurrence wins, as on Windows
                break;
            }
        }
        if (!replaced) {
            current->entries.push_back(Entry{key, value});
        }
    }
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const Section& s : sections) {
        out += "[" + s.name + "]\n";
        for (const Entry& e : s.entries) {
            out += e.key + "=" + e.value + "\n";
        }
        out += "\n";
    }
    return out;
}

bool IniFile::Save() const {
    std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out << Serialize();
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        chmod(temp.c_str(), st.st_mode & 07777);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

bool IniFile::Get(const std::string& section, const std::string& key, std::string& value) const {
    const Section* s = FindSection(section);
    if (!s) {
        return false;
    }
    for (const Entry& e : s->entries) {
        if (SameName(e.key, key)) {
            value = e.value;
            return true;
        }
    }
    return false;
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
    Section* s = FindSection(section);
    if (!s) {
        sections.push_back(Section{section, {}});
        s = &sections.back();
    }
    for (Entry& e : s->entries) {
        if (SameName(e.key, key)) {
            e.value = clean;
            return;
        }
    }
    s->entries.push_back(Entry{key, clean});
}

IniFile::Section* IniFile::FindSection(const std::string& name) {
    for (Section& s : sections) {
        if (SameName(s.name, name)) {
            return &s;
        }
    }
    return nullptr;
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
    for (const Section& s : sections) {
        if (SameName(s.name, name)) {
            return &s;
        }
    }
    return nullptr;
}
