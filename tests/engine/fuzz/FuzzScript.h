#pragma once

#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"
#include "engine/VariableDump.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One fuzz input: the bytes are a script run as a macro run would run it, with small limits so that a hostile
// input ends quickly (memory 1 MiB, loop limit 50, at most 20 000 statements), and includes that cannot find
// any file. The fuzz target and the corpus replay in test_engine share this.
namespace FuzzScript {

class BudgetFlow : public CFlowManager {
public:
    int IsAborted() override { return ++statements > 20000 || CFlowManager::IsAborted(); }

private:
    int64_t statements = 0;
};

// What a run leaves: the error with its line, and the variables.
struct Outcome {
    int32_t error = 0;
    int64_t line = 0;
    std::string lineText;
    std::vector<std::string> variables;
};

inline Outcome RunFor(const uint8_t* data, size_t size) {
    CVariableManager variables;
    variables.SetMemoryLimit(1 << 20);
    CCalcManager calc;
    BudgetFlow flow;
    calc.SetVariableManager(&variables);
    calc.SetFlowManager(&flow);
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&variables);
    flow.SetIncludeDir("/nonexistent-kivran-fuzz");
    flow.SetMaxLoop(50);
    flow.SetTolerance(size % 2 ? 3 : 0);
    flow.SetDbcsNames(1);
    std::string text(reinterpret_cast<const char*>(data), size);
    ExecContext ctx(text.data(), 0, static_cast<int64_t>(size) - 1);
    flow.RunStatements(ctx, -1, nullptr);
    Outcome outcome;
    outcome.error = ctx.error;
    outcome.line = ctx.line;
    outcome.lineText = ctx.lineText;
    outcome.variables = VariableDump::Lines(variables);
    return outcome;
}

inline int32_t Run(const uint8_t* data, size_t size) {
    return RunFor(data, size).error;
}

} // namespace FuzzScript
