#include "binding/CSymbolFileLocator.h"

#include "platform/ExecutablePath.h"

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
    if (programDir.empty() || HoldsSymbolFiles(programDir)) {
        return programDir;
    }
    const std::string installed = ExecutablePath::DataDirectoryOf(programDir);
    return fs::is_directory(installed, ec) ? installed : programDir;
}

std::string CSymbolFileLocator::ProgramFile(const std::string& name, const std::string& programDir) {
    const std::string beside = Join(programDir, name);
    if (programDir.empty() || IsFile(beside)) {
        return beside;
    }
    const std::string installed = Join(ExecutablePath::DataDirectoryOf(programDir), name);
    return IsFile(installed) ? installed : beside;
}

bool CSymbolFileLocator::HoldsSymbolFiles(const std::string& dir) {
    static const std::string suffix = ".SYM";
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > suffix.size() &&
            EqualIgnoringCase(name.substr(name.size() - suffix.size()), suffix) &&
            IsFile(it->path().string())) {
            return true;
        }
    }
    return false;
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
