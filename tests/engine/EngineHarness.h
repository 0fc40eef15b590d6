#pragma once

#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"

#include <string>

// The three engine objects linked as a script run links them, with helpers to run text and evaluate
// expressions.
struct EngineHarness {
    CVariableManager variables;
    CCalcManager calc;
    CFlowManager flow;
    std::string text; // the last script run; functions it defines point into it

    EngineHarness() {
        calc.SetVariableManager(&variables);
        calc.SetFlowManager(&flow);
        flow.SetCalcManager(&calc);
        flow.SetVariableManager(&variables);
    }

    // Runs a whole script; returns the context for its error, line and line text.
    ExecContext Run(const std::string& script) {
        text = script;
        ExecContext ctx(text.data(), 0, static_cast<int64_t>(text.size()) - 1);
        flow.RunStatements(ctx, -1, nullptr);
        return ctx;
    }

    // Evaluates one expression the way a statement does (compacted, ";" appended).
    ScriptValue Eval(const std::string& expression) {
        std::string compact =
            CFlowManager::CompactExpression(expression.data(), static_cast<int64_t>(expression.size())) + ";";
        ScriptValue v = calc.Evaluate(ScriptValue(compact.c_str() + 1, 0));
        v.cursor = nullptr;
        return v;
    }
};
