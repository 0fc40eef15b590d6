#pragma once

#include <string>

// Which symbol file belongs to a data file: the file's extension + ".SYM" in the symbol directory, found
// whatever the case of its name (photo.gif finds GIF.SYM), as on a case-insensitive file system.
class CSymbolFileLocator {
public:
    // The MacroDir setting when it names an existing directory, otherwise the program's directory when it
    // holds symbol files (a build tree, a portable copy), otherwise the installed data directory
    // (<program directory>/../share/kivran) when it exists, otherwise the program's directory (empty when
    // that is unknown too).
    static std::string SymbolDirectory(const std::string& macroDir, const std::string& programDir);
    // A file that comes with the program, such as a help page: beside the program when it is there, else in
    // the installed data directory when it is there, else the path beside the program.
    static std::string ProgramFile(const std::string& name, const std::string& programDir);
    // True when dir holds a regular file whose name ends in ".SYM", whatever its case.
    static bool HoldsSymbolFiles(const std::string& dir);
    // The extension of a path: the text after the last "." of its file name; empty when there is none.
    static std::string ExtensionOf(const std::string& dataPath);
    // The symbol file of a data file in dir: the exact name E.SYM when it exists, else the first entry of
    // dir (in name order) whose name matches it ignoring the case of ASCII letters. Empty when the data file
    // has no extension or no such file exists.
    static std::string SymbolFileFor(const std::string& dataPath, const std::string& dir);
};
