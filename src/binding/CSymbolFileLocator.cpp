#include "binding/CSymbolFileLocator.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::string Join(const std::string& dir, const std::string& name) {
    return !dir.empty() && dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

std::string CSymbolFileLocator::SymbolDirectory(const std::string& macroDir, const std::string& programDir) {
    std::error_code ec;
    if (!macroDir.empty() && fs::is_directory(macroDir, ec)) {
        return macroDir;
    }
    return programDir;
}

std::string CSymbolFileLocator::ExtensionOf(const std::string& dataPath) {
    size_t slash = dataPath.find_last_of('/');
    std::string name = slash == std::string::npos ? dataPath : dataPath.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string CSymbolFileLocator::SymbolFileFor(const std::string& dataPath, const std::string& dir) {
    const std::string extension = ExtensionOf(dataPath);
    if (extension.empty() || dir.empty()) {
        return std::string();
    }
    const std::string wanted = extension + ".SYM";
    const std::string exact = Join(dir, wanted);
    if (IsFile(exact)) {
        return exact;
    }
    std::error_code ec;
    std::vector<std::string> matches;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (EqualIgnoringCase(name, wanted) && IsFile(it->path().string())) {
            matches.push_back(name);
        }
    }
    if (matches.empty()) {
        return std::string();
    }
    std::string first = matches.front();
    for (const std::string& m : matches) {
        if (m < first) {
            first = m;
        }
    }
    return Join(dir, first);
}
