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
    int64_t b = SkipBlanks(ctx, pos);
    if (b <= ctx.end && ctx.text[b] == '{') {
        int64_t close = FindMatching(ctx, '{', b, ctx.end);
        if (close < 0) {
            Fail(ctx, 4, b);
            return false;
        }
        start = b + 1;
        last = close;
        braced = true;
        return true;
    }
    int64_t semi = FindText(ctx, ";", b, ctx.end);
    if (semi < 0) {
        Fail(ctx, missingSemicolon, b > ctx.end ? ctx.pos : b);
        return false;
    }
    start = b;
    last = semi;
    braced = false;
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
    const char* t = ctx.text;
    variables->EnterScope();
    bool chosen = false;
    int64_t chosenStart = -1;
    bool chosenBraced = false;
    int64_t chainEnd = -1;
    int64_t p = ctx.pos; // at "if"
    while (ctx.error == 0) {
        int64_t open = SkipBlanks(ctx, p + 2);
        if (open > ctx.end || t[open] != '(') {
            Fail(ctx, 4, p);
            break;
        }
        int64_t close = FindMatching(ctx, '(', open, ctx.end);
        if (close < 0) {
            Fail(ctx, 4, open);
            break;
        }
        bool condition = false;
        if (!chosen) {
            ScriptValue v = EvaluateRange(ctx, open + 1, close - 1, false);
            if (v.error) {
                Fail(ctx, v.error, v.cursor ? v.cursor - t : p);
                break;
            }
            condition = IsTrue(v);
        }
        int64_t start = 0;
        int64_t last = 0;
        bool braced = false;
        if (!FindBody(ctx, close + 1, start, last, braced, 9)) {
            break;
        }
        if (!chosen && condition) {
            chosen = true;
            chosenStart = start;
            chosenBraced = braced;
        }
        chainEnd = last;
        // The else test looks at four bytes only: "elseValue = 1;" is an else branch.
        int64_t q = SkipBlanks(ctx, last + 1);
        if (q + 3 > ctx.end || std::memcmp(t + q, "else", 4) != 0) {
            break;
        }
        int64_t r = SkipBlanks(ctx, q + 4);
        if (r + 1 <= ctx.end && t[r] == 'i' && t[r + 1] == 'f' &&
            (r + 2 > ctx.end || !IsNameChar(t[r + 2]))) {
            p = r;
            continue;
        }
        if (!FindBody(ctx, q + 4, start, last, braced, 9)) {
            break;
        }
        if (!chosen) {
            chosen = true;
            chosenStart = start;
            chosenBraced = braced;
        }
        chainEnd = last;
        break;
    }
    if (ctx.error == 0) {
        if (chosen) {
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
    int64_t open = SkipBlanks(ctx, stmt + 5);
    if (open > ctx.end || t[open] != '(') {
        Fail(ctx, 12, stmt);
        return;
    }
    int64_t close = FindMatching(ctx, '(', open, ctx.end);
    if (close < 0 || close == open + 1) {
        Fail(ctx, 4, open);
        return;
    }
    std::string condition = CompactExpression(t + open + 1, close - open - 1) + ";";
    int64_t start = 0;
    int64_t last = 0;
    bool braced = false;
    if (!FindBody(ctx, close + 1, start, last, braced, 9)) {
        return;
    }
    int64_t n = 0;
    while (!LoopLimitReached(n) && ctx.breakCount == 0 && ctx.returnCount == 0 && !IsAborted()) {
        ScriptValue v = calc->Evaluate(ScriptValue(condition.c_str() + 1, 0));
        if (v.error) {
            Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - t : stmt);
            break;
        }
        bool running = IsTrue(v);
        if (running) {
            variables->EnterScope();
            RunLoopBody(ctx, start, last, braced, returnSlot);
            variables->LeaveScope();
        }
        ++n;
        if (!running || ctx.error) {
            break;
        }
    }
    FinishLoop(ctx, n, stmt);
    if (ctx.error == 0) {
        ctx.pos = last + 1;
    }
}

void CFlowManager::DoFor(ExecContext& ctx) {
    ScriptValue* returnSlot = forReturnSlot;
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    int64_t open = SkipBlanks(ctx, stmt + 3);
    if (open > ctx.end || t[open] != '(') {
        Fail(ctx, 12, stmt);
        return;
    }
    int64_t close = FindMatching(ctx, '(', open, ctx.end);
    if (close < 0) {
        Fail(ctx, 4, open);
        return;
    }
    int64_t first = FindText(ctx, ";", open + 1, close - 1);
    int64_t second = first < 0 ? -1 : FindText(ctx, ";", first + 1, close - 1);
    if (second < 0) {
        Fail(ctx, 9, stmt);
        return;
    }
    std::string condition = CompactExpression(t + first + 1, second - first);
    std::string step = CompactExpression(t + second + 1, close - second - 1) + ";";
    int64_t start = 0;
    int64_t last = 0;
    bool braced = false;
    if (!FindBody(ctx, close + 1, start, last, braced, 9)) {
        return;
    }
    variables->EnterScope();
    RunNested(ctx, open + 1, first, 1, nullptr);
    int64_t n = 0;
    while (ctx.error == 0 && !LoopLimitReached(n) && ctx.breakCount == 0 && ctx.returnCount == 0 &&
           !IsAborted()) {
        variables->EnterScope();
        ScriptValue v = calc->Evaluate(ScriptValue(condition.c_str() + 1, 0));
        if (v.error) {
            Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - t : stmt);
            variables->LeaveScope();
            break;
        }
        bool running = IsTrue(v);
        if (running) {
            RunLoopBody(ctx, start, last, braced, returnSlot);
            // A break or return leaves the loop before its step, as in C.
            if (ctx.error == 0 && ctx.breakCount == 0 && ctx.returnCount == 0) {
                ScriptValue s = calc->Evaluate(ScriptValue(step.c_str() + 1, 0));
                if (s.error) {
                    Fail(ctx, s.error, InText(ctx, s.cursor) ? s.cursor - t : stmt);
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
        ctx.pos = last + 1;
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
    std::string selector = std::string(1, '\0') + GetSwitchSelector(identity);
    ScriptValue v = calc->Evaluate(ScriptValue(selector.c_str() + 1, 0));
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
