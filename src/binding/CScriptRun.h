#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CKvrVMan;
class CKvrFlowMan;
class IScriptHost;

// The outcome of one script run.
struct ScriptRunResult {
    // The file could be opened and read (whether or not the script then failed).
    bool readable = false;
    // The first engine error, 0 when none.
    int32_t error = 0;
    bool aborted = false;
    // "Macro Error\nFile:...\nLine%d <line text>\n<error text>" when the script failed; code page 932.
    std::string message;
    // Line number and text (code page 932) of the error, for callers that format the report themselves.
    int64_t line = 0;
    std::string lineText;
    // The view's byte order after the run (from the symbol state's bigEndian); only meaningful when readable.
    int littleEndian = 1;
};

// Runs symbol files and macros over the variable manager's data: a fresh CKvrCalcMan and CKvrFlowMan per
// run, loop limit 1000, Reset before a symbol file, the ordinary variables released before a macro (with
// redefinitions tolerated) and after every run. The window adds the progress bar, the message box and the
// SYMBOL button around it.
class CScriptRun {
public:
    enum Kind { kSymbolFile = 0, kMacro = 1 };

    // Called after the run, before the run's ordinary variables are released (batch mode prints them).
    using BeforeRelease = std::function<void(const CKvrVMan&)>;

    static ScriptRunResult Run(CKvrVMan& variables, IScriptHost& host, const std::string& path, Kind kind,
                               int language, const BeforeRelease& beforeRelease = BeforeRelease());

    // Runs the file with an interpreter set up by the caller. 1 when the file could be read, 0 otherwise;
    // message receives the error report when the script failed (empty otherwise). When details is given it
    // receives the error code, line and line text.
    static int RunScriptFile(CKvrFlowMan& flow, const std::string& path, std::string& message, int language,
                             ScriptRunResult* details = nullptr);

    // The include directory of a script path: the text before the last "/"; a path without one resolves
    // its includes against the current directory.
    static std::string IncludeDirOf(const std::string& path);
};
