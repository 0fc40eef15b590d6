// if, while, for, switch and case labels.
#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// A condition is true for a non-zero integer or floating value (not-a-number counts as true) and a non-empty
// string; a pointer or void condition is false.
bool IsTrue(const ScriptValue& v) {
    if (IsIntegerKind(v.kind)) {
        return v.intValue != 0;
    }
    if (IsRealKind(v.kind)) {
        return v.realValue != 0.0;
    }
    if (v.kind == KindString) {
        return !v.text.empty();
    }
    return false;
}

} // namespace

bool CFlowManager::FindBody(ExecContext& ctx, int64_t pos, int64_t& start, int64_t& last, bool& braced,
                            int32_t missingSemicolon) {
    BodyRange body;
    AnalysisFault fault;
    if (!AnalyseBody(ctx, pos, missingSemicolon, body, fault)) {
        Fail(ctx, fault.code, fault.pos);
        return false;
    }
    start = body.start;
    last = body.last;
    braced = body.braced;
    return true;
}

void CFlowManager::RunLoopBody(ExecContext& ctx, int64_t start, int64_t last, bool braced,
                               ScriptValue* returnSlot) {
    RunNested(ctx, start, last, braced ? -1 : 1, returnSlot);
}

bool CFlowManager::LoopLimitReached(int64_t n) const {
    return maxLoop >= 0 && n > maxLoop + 1;
}

void CFlowManager::FinishLoop(ExecContext& ctx, int64_t n, int64_t statementPos) {
    if (ctx.breakCount > 0) {
        --ctx.breakCount;
    }
    if (ctx.error == 0 && maxLoop > 0 && n > maxLoop + 1) {
        Fail(ctx, 22, statementPos);
    }
}

void CFlowManager::DoIf(ExecContext& ctx, ScriptValue* returnSlot) {
    StatementRecord* r = CurrentRecord(ctx);
    std::vector<IfBranch> local;
    if (r && !r->analysed) {
        AnalyseIf(ctx, r->branches);
        r->analysed = true;
    } else if (!r) {
        AnalyseIf(ctx, local);
    }
    std::vector<IfBranch>& branches = r ? r->branches : local;
    const char* t = ctx.text;
    variables->EnterScope();
    bool chosen = false;
    int64_t chosenStart = -1;
    bool chosenBraced = false;
    int64_t chainEnd = -1;
    StatementRecord** chosenFirst = nullptr;
    for (IfBranch& b : branches) {
        if (b.preFault.code) {
            Fail(ctx, b.preFault.code, b.preFault.pos);
            break;
        }
        bool condition = false;
        if (!b.isElse && !chosen) {
            if (r) {
                FastValue v = EvaluateExpressionFast(ctx, b.condition);
                if (v.error) {
                    Fail(ctx, v.error, v.cursor ? v.cursor - t : b.at);
                    break;
                }
                condition = IsTrue(v);
            } else {
                ScriptValue v = EvaluateExpression(ctx, b.condition, false);
                if (v.error) {
                    Fail(ctx, v.error, v.cursor ? v.cursor - t : b.at);
                    break;
                }
                condition = ::IsTrue(v);
            }
        }
        if (b.bodyFault.code) {
            Fail(ctx, b.bodyFault.code, b.bodyFault.pos);
            break;
        }
        if (!chosen && (b.isElse || condition)) {
            chosen = true;
            chosenStart = b.body.start;
            chosenBraced = b.body.braced;
            chosenFirst = r ? &b.bodyFirst : nullptr;
        }
        chainEnd = b.body.last;
    }
    if (ctx.error == 0) {
        if (chosen) {
            // The chosen body runs to the end of the whole chain; its first record is kept with the branch.
            entryHint = chosenFirst;
            RunNested(ctx, chosenStart, chainEnd, chosenBraced ? -1 : 1, returnSlot);
        }
        if (ctx.error == 0) {
            ctx.pos = chainEnd + 1;
        }
    }
    variables->LeaveScope();
}

void CFlowManager::DoWhile(ExecContext& ctx, ScriptValue* returnSlot) {
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    StatementRecord* r = CurrentRecord(ctx);
    LoopAnalysis local;
    if (r && !r->analysed) {
        AnalyseWhile(ctx, r->loop);
        r->analysed = true;
    } else if (!r) {
        AnalyseWhile(ctx, local);
    }
    LoopAnalysis& a = r ? r->loop : local;
    if (a.fault.code) {
        Fail(ctx, a.fault.code, a.fault.pos);
        return;
    }
    // The condition is evaluated many times: it is kept even for a loop that runs once.
    if (compiledPaths && !a.condition.kept) {
        a.condition.kept = KeptRange(ctx, a.condition.from, a.condition.to, true);
    }
    const std::string condition =
        a.condition.kept
            ? std::string()
            : CompactExpression(t + a.condition.from, a.condition.to - a.condition.from + 1) + ";";
    const BodyRange body = a.body;
    int64_t n = 0;
    while (!LoopLimitReached(n) && ctx.breakCount == 0 && ctx.returnCount == 0 && !IsAborted()) {
        bool running = false;
        if (a.condition.kept) {
            FastValue v = calc->EvaluateKeptFast(a.condition.kept, a.condition.program);
            if (v.error) {
                Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - t : stmt);
                break;
            }
            running = IsTrue(v);
        } else {
            ScriptValue v = EvaluateText(nullptr, condition);
            if (v.error) {
                Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - t : stmt);
                break;
            }
            running = ::IsTrue(v);
        }
        if (running) {
            variables->EnterScope();
            entryHint = r ? &a.bodyFirst : nullptr;
            RunLoopBody(ctx, body.start, body.last, body.braced, returnSlot);
            variables->LeaveScope();
        }
        ++n;
        if (!running || ctx.error) {
            break;
        }
    }
    FinishLoop(ctx, n, stmt);
    if (ctx.error == 0) {
        ctx.pos = body.last + 1;
    }
}

void CFlowManager::DoFor(ExecContext& ctx) {
    ScriptValue* returnSlot = forReturnSlot;
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    StatementRecord* r = CurrentRecord(ctx);
    LoopAnalysis local;
    if (r && !r->analysed) {
        AnalyseFor(ctx, r->loop);
        r->analysed = true;
    } else if (!r) {
        AnalyseFor(ctx, local);
    }
    LoopAnalysis& a = r ? r->loop : local;
    if (a.fault.code) {
        Fail(ctx, a.fault.code, a.fault.pos);
        return;
    }
    if (compiledPaths && !a.condition.kept) {
        a.condition.kept = KeptRange(ctx, a.condition.from, a.condition.to, false);
        a.step.kept = KeptRange(ctx, a.step.from, a.step.to, true);
    }
    const std::string condition =
        a.condition.kept ? std::string()
                         : CompactExpression(t + a.condition.from, a.condition.to - a.condition.from + 1);
    const std::string step =
        a.step.kept ? std::string() : CompactExpression(t + a.step.from, a.step.to - a.step.from + 1) + ";";
    const BodyRange body = a.body;
    variables->EnterScope();
    RunNested(ctx, a.initFrom, a.initEnd, 1, nullptr);
    int64_t n = 0;
    while (ctx.error == 0 && !LoopLimitReached(n) && ctx.breakCount == 0 && ctx.returnCount == 0 &&
           !IsAborted()) {
        variables->EnterScope();
        bool running = false;
        if (a.condition.kept) {
            FastValue v = calc->EvaluateKeptFast(a.condition.kept, a.condition.program);
            if (v.error) {
                Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - t : stmt);
                variables->LeaveScope();
                break;
            }
            running = IsTrue(v);
        } else {
            ScriptValue v = EvaluateText(nullptr, condition);
            if (v.error) {
                Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - t : stmt);
                variables->LeaveScope();
                break;
            }
            running = ::IsTrue(v);
        }
        if (running) {
            entryHint = r ? &a.bodyFirst : nullptr;
            RunLoopBody(ctx, body.start, body.last, body.braced, returnSlot);
            // A break or return leaves the loop before its step, as in C.
            if (ctx.error == 0 && ctx.breakCount == 0 && ctx.returnCount == 0) {
                if (a.step.kept) {
                    FastValue s = calc->EvaluateKeptFast(a.step.kept, a.step.program);
                    if (s.error) {
                        Fail(ctx, s.error, InText(ctx, s.cursor) ? s.cursor - t : stmt);
                    }
                } else {
                    ScriptValue s = EvaluateText(nullptr, step);
                    if (s.error) {
                        Fail(ctx, s.error, InText(ctx, s.cursor) ? s.cursor - t : stmt);
                    }
                }
            }
        }
        variables->LeaveScope();
        ++n;
        if (!running) {
            break;
        }
    }
    FinishLoop(ctx, n, stmt);
    variables->LeaveScope();
    if (ctx.error == 0) {
        ctx.pos = body.last + 1;
    }
}

bool CFlowManager::AnalyseSwitch(ExecContext& ctx, int64_t identity, int64_t stmt) {
    const char* t = ctx.text;
    int64_t open = SkipBlanks(ctx, stmt + 6);
    if (open > ctx.end || t[open] != '(') {
        Fail(ctx, 12, stmt);
        return false;
    }
    int64_t close = FindMatching(ctx, '(', open, ctx.end);
    if (close < 0 || close == open + 1) {
        Fail(ctx, 4, open);
        return false;
    }
    SetSwitchSelector(identity, CompactExpression(t + open + 1, close - open - 1).substr(1) + ";");
    int64_t brace = SkipBlanks(ctx, close + 1);
    if (brace > ctx.end || t[brace] != '{') {
        Fail(ctx, 12, stmt);
        return false;
    }
    int64_t bodyEnd = FindMatching(ctx, '{', brace, ctx.end);
    if (bodyEnd < 0) {
        Fail(ctx, 4, brace);
        return false;
    }
    SetSwitchEnd(identity, bodyEnd + 1);
    // Labels are whole words: an occurrence inside a longer name ("showcase", "defaultValue") is not a label.
    auto isLabel = [&](int64_t at, size_t length) {
        int64_t after = at + static_cast<int64_t>(length);
        return !(at > 0 && IsNameChar(t[at - 1])) && !(after <= ctx.end && IsNameChar(t[after]));
    };
    for (int64_t from = brace + 1;;) {
        int64_t d = FindTokenOutsideBraces(ctx, "default", from, bodyEnd - 1);
        if (d < 0) {
            break;
        }
        if (!isLabel(d, 7)) {
            from = d + 1;
            continue;
        }
        int64_t colon = SkipBlanks(ctx, d + 7);
        if (colon > ctx.end || t[colon] != ':') {
            Fail(ctx, 11, d);
            return false;
        }
        SetSwitchDefault(identity, colon + 1);
        break;
    }
    for (int64_t from = brace + 1;;) {
        int64_t c = FindTokenOutsideBraces(ctx, "case", from, bodyEnd - 1);
        if (c < 0) {
            break;
        }
        if (!isLabel(c, 4)) {
            from = c + 1;
            continue;
        }
        int64_t colon = FindText(ctx, ":", c + 4, bodyEnd - 1);
        if (colon < 0) {
            Fail(ctx, 11, c);
            return false;
        }
        ScriptValue v = EvaluateRange(ctx, c + 4, colon - 1, true);
        if (!v.error) {
            ConvertTo(v, KindInt);
        }
        if (v.error) {
            Fail(ctx, v.error, v.cursor ? v.cursor - t : c);
            return false;
        }
        AddSwitchCase(identity, v.intValue, colon + 1);
        from = colon + 1;
    }
    return true;
}

void CFlowManager::DoSwitch(ExecContext& ctx, ScriptValue* returnSlot) {
    const int64_t stmt = ctx.pos;
    const int64_t identity = static_cast<int64_t>(reinterpret_cast<uintptr_t>(ctx.text + stmt));
    if (NewSwitchTable(identity) && !AnalyseSwitch(ctx, identity, stmt)) {
        return;
    }
    const char* kept = nullptr;
    std::string selector;
    if (compiledPaths) {
        auto found = keptSelectors.find(identity);
        if (found == keptSelectors.end()) {
            found = keptSelectors.emplace(identity, calc->KeepExpression('\0' + GetSwitchSelector(identity)))
                        .first;
        }
        kept = found->second;
    } else {
        selector = std::string(1, '\0') + GetSwitchSelector(identity);
    }
    ScriptValue v = EvaluateText(kept, selector);
    if (!v.error) {
        ConvertTo(v, KindInt);
    }
    if (v.error) {
        Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - ctx.text : stmt);
        return;
    }
    int64_t target = FindSwitchCase(identity, v.intValue);
    if (target < 0) {
        target = GetSwitchDefault(identity);
    }
    int64_t end = GetSwitchEnd(identity);
    if (end < 0) {
        Fail(ctx, 4, stmt);
        return;
    }
    if (target >= 0) {
        variables->EnterScope();
        RunNested(ctx, target, end - 1, -1, returnSlot);
        variables->LeaveScope();
        if (ctx.breakCount > 0) {
            --ctx.breakCount;
        }
    }
    if (ctx.error == 0) {
        ctx.pos = end;
    }
}

void CFlowManager::DoCase(ExecContext& ctx) {
    std::string word = ReadName(ctx, ctx.pos, false);
    int64_t p = SkipBlanks(ctx, ctx.pos + static_cast<int64_t>(word.size()));
    int64_t colon = FindText(ctx, ":", p, ctx.end);
    if (colon < 0) {
        Fail(ctx, 11, ctx.pos);
        return;
    }
    ctx.pos = colon + 1;
}
