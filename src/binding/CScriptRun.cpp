#include "binding/CScriptRun.h"

#include "binding/CKvrCalcMan.h"
#include "binding/CKvrFlowMan.h"
#include "binding/CKvrVMan.h"
#include "binding/IScriptHost.h"
#include "engine/EngineErrors.h"
#include "engine/ScriptFile.h"

ScriptRunResult CScriptRun::Run(CKvrVMan& variables, IScriptHost& host, const std::string& path, Kind kind,
                                int language, const BeforeRelease& beforeRelease) {
    CKvrCalcMan calc;
    CKvrFlowMan flow;
    calc.SetKvrVariableManager(&variables);
    calc.SetFlowManager(&flow);
    calc.SetHost(&host);
    calc.SetLanguage(language);
    // The evaluator's internal consistency messages reach the user as a plain message box.
    calc.SetMessageHandler([&host](const std::string& text) { host.MessageBox(text, "KIVRAN", 0); });
    flow.SetCalcManager(&calc);
    flow.SetKvrVariableManager(&variables);
    flow.SetHost(&host);
    flow.SetLanguage(language);
    flow.SetIncludeDir(IncludeDirOf(path));
    flow.SetMaxLoop(1000);
    if (kind == kSymbolFile) {
        variables.Reset();
    } else {
        variables.FreeVariables();
        flow.SetTolerance(3);
    }

    ScriptRunResult result;
    host.SetRunning(&flow);
    result.readable = RunScriptFile(flow, path, result.message, language, &result) == 1;
    host.SetRunning(nullptr);
    if (result.readable) {
        result.littleEndian = variables.IsBigEndian() ? 0 : 1;
    }
    result.aborted = flow.IsAborted() != 0;
    if (result.aborted) {
        // An aborted run reports nothing.
        result.message.clear();
    }
    if (beforeRelease) {
        beforeRelease(variables);
    }
    variables.FreeVariables();
    return result;
}

int CScriptRun::RunScriptFile(CKvrFlowMan& flow, const std::string& path, std::string& message, int language,
                              ScriptRunResult* details) {
    message.clear();
    flow.ClearAborted();
    ScriptFile::RunResult run;
    if (!ScriptFile::Run(flow, path, run)) {
        return 0;
    }
    if (run.error != 0) {
        message =
            ScriptFile::FormatReport(path, run.line, run.lineText, EngineErrors::Text(run.error, language));
    }
    if (details) {
        details->error = run.error;
        details->line = run.line;
        details->lineText = run.lineText;
    }
    return 1;
}

std::string CScriptRun::IncludeDirOf(const std::string& path) {
    return ScriptFile::DirectoryOf(path);
}
