#pragma once

#include <cstdint>
#include <string>

class CFlowManager;

// Script files: reading them as engine text and running them with an interpreter (the part of a
// script run that needs no editor).
namespace ScriptFile {

// Largest script or include file read; a larger one is treated as unreadable.
constexpr int64_t kMaxFileSize = 64LL * 1024 * 1024;

// Reads a regular file whole. The engine's text is code page 932; a file that is valid UTF-8 and holds bytes
// above 0x7F is taken as UTF-8 and converted (a leading byte-order mark dropped), so scripts written on this
// platform behave as they would have on Windows. False when the file cannot be read.
bool Load(const std::string& path, std::string& text);

// The directory part of a script path, for #include: everything before the last "/" ("." when there is none).
std::string DirectoryOf(const std::string& path);

struct RunResult {
    int32_t error = 0;
    int64_t line = 0;
    std::string lineText; // code page 932
    std::string text;     // the script text, kept alive for the functions it defined
};

// Loads the file and runs it over its whole text with no limit and no return slot; false when the file could
// not be read. The interpreter's aborted flag is cleared first.
bool Run(CFlowManager& flow, const std::string& path, RunResult& result);

// "Macro Error\nFile:%s\nLine%d " + line text + "\n" + error text: the report of a failed run.
std::string FormatReport(const std::string& path, int64_t line, const std::string& lineText,
                         const std::string& errorText);

} // namespace ScriptFile
