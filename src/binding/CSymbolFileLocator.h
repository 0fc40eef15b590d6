#pragma once

#include <string>

// Which symbol file belongs to a data file: the file's extension + ".SYM" in the symbol directory, found
// whatever the case of its name (photo.gif finds GIF.SYM), as on a case-insensitive file system.
class CSymbolFileLocator {
public:
    // The MacroDir setting when it names an existing directory, otherwise the program's directory (empty
    // when that is unknown too).
    static std::string SymbolDirectory(const std::string& macroDir, const std::string& programDir);
    // The extension of a path: the text after the last "." of its file name; empty when there is none.
    static std::string ExtensionOf(const std::string& dataPath);
    // The symbol file of a data file in dir: the exact name E.SYM when it exists, else the first entry of
    // dir (in name order) whose name matches it ignoring the case of ASCII letters. Empty when the data file
    // has no extension or no such file exists.
    static std::string SymbolFileFor(const std::string& dataPath, const std::string& dir);
};
