#include "engine/ScriptFile.h"

#include "engine/CFlowManager.h"
#include "platform/CodePage932.h"
#include "platform/WholeFileReader.h"

#include <cstdio>

namespace ScriptFile {

bool Load(const std::string& path, std::string& text) {
    // The reader never waits on a FIFO or a device and reads only a regular file within the bound.
    if (WholeFileReader::Read(path, static_cast<uint64_t>(kMaxFileSize), text) !=
        WholeFileReader::Result::Read) {
        text.clear();
        return false;
    }
    bool highBytes = false;
    for (unsigned char c : text) {
        if (c >= 0x80) {
            highBytes = true;
            break;
        }
    }
    if (highBytes && CodePage932::IsValidUtf8(text)) {
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            text.erase(0, 3);
        }
        text = CodePage932::FromUtf8(text);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool Run(CFlowManager& flow, const std::string& path, RunResult& result) {
    flow.ClearAborted();
    result = RunResult();
    if (!Load(path, result.text)) {
        return false;
    }
    ExecContext ctx(result.text.data(), 0, static_cast<int64_t>(result.text.size()) - 1);
    flow.RunStatements(ctx, -1, nullptr);
    result.error = ctx.error;
    if (ctx.error) {
        if (ctx.line != 0) {
            result.line = ctx.line;
            result.lineText = ctx.lineText;
        } else {
            result.line = CFlowManager::LineOfPosition(ctx.text, ctx.pos, ctx.end, result.lineText);
        }
    }
    return true;
}

std::string FormatReport(const std::string& path, int64_t line, const std::string& lineText,
                         const std::string& errorText) {
    char number[32];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(line));
    return "Macro Error\nFile:" + path + "\nLine" + number + " " + lineText + "\n" + errorText;
}

} // namespace ScriptFile
