// What the interpreter keeps about the statements it runs: their records (first word, classification, the
// positions their parts were found at) and the analyses of if chains and loops, so that a statement that runs
// again is not read from the text again. Everything here is found from the text exactly as the handlers find
// it; faults are kept with their codes and positions and reported when the statement runs.
#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"

#include <cstring>

namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

StatementRecord* CFlowManager::RecordAt(const ExecContext& ctx, int64_t pos) {
    const RecordKey key{ctx.text + pos, ctx.end};
    StatementRecord*& recent =
        recentRecords[(reinterpret_cast<uintptr_t>(key.at) >> 2) % recentRecords.size()];
    if (recent && recent->text == ctx.text && recent->pos == pos && recent->end == ctx.end) {
        return recent;
    }
    auto found = records.find(key);
    if (found != records.end()) {
        recent = found->second.get();
        return recent;
    }
    auto r = std::make_unique<StatementRecord>();
    r->text = ctx.text;
    r->end = ctx.end;
    r->pos = pos;
    r->start = SkipBlanks(ctx, pos);
    if (r->start <= ctx.end) {
        r->word = ReadName(ctx, r->start, dbcsNames != 0);
        r->first = ctx.text[r->start];
        r->keyword = KeywordOf(r->word);
        r->operatorFunction = !r->word.empty() && calc->IsOperatorFunction(r->word);
    }
    StatementRecord* record = r.get();
    records.emplace(key, std::move(r));
    return record;
}

bool CFlowManager::IsTypeWord(StatementRecord& r) {
    if (!r.typesKnown || r.typesVersion != variables->TypesVersion()) {
        r.isType = !r.word.empty() && variables->TypeSize(r.word) >= 0;
        r.typesVersion = variables->TypesVersion();
        r.typesKnown = true;
    }
    return r.isType;
}

bool CFlowManager::IsFunctionWord(StatementRecord& r) {
    if (!r.functionsKnown || r.functionsVersion != calc->FunctionsVersion()) {
        r.isFunction = !r.word.empty() && calc->FindFunction(r.word);
        r.functionsVersion = calc->FunctionsVersion();
        r.functionsKnown = true;
    }
    return r.isFunction;
}

bool CFlowManager::IsVariableWord(StatementRecord& r) {
    if (r.word.empty()) {
        return false;
    }
    if (r.wordVisibility == variables->Visibility()) {
        return r.wordVisible;
    }
    if (!r.wordIdKnown || r.nameGeneration != variables->NameGeneration()) {
        r.wordId = variables->InternName(r.word);
        r.nameGeneration = variables->NameGeneration();
        r.wordIdKnown = true;
    }
    r.wordVisible = variables->FindVariableById(r.wordId, -1) != nullptr;
    r.wordVisibility = variables->Visibility();
    return r.wordVisible;
}

ScriptValue CFlowManager::EvaluateExpression(const ExecContext& ctx, ExpressionRange& range, bool keep) {
    if (keep && !range.kept) {
        range.kept = KeptRange(ctx, range.from, range.to, range.semicolon);
    }
    if (!keep || !range.kept) {
        return EvaluateRange(ctx, range.from, range.to, range.semicolon);
    }
    ScriptValue v = calc->EvaluateKept(range.kept, range.program);
    if (!InText(ctx, v.cursor)) {
        v.cursor = nullptr;
    }
    return v;
}

FastValue CFlowManager::EvaluateExpressionFast(const ExecContext& ctx, ExpressionRange& range) {
    if (!range.kept) {
        range.kept = KeptRange(ctx, range.from, range.to, range.semicolon);
    }
    FastValue v = calc->EvaluateKeptFast(range.kept, range.program);
    if (!InText(ctx, v.cursor)) {
        v.cursor = nullptr;
    }
    return v;
}

bool CFlowManager::IsTrue(const FastValue& v) {
    if (IsIntegerKind(v.kind)) {
        return v.intValue != 0;
    }
    if (IsRealKind(v.kind)) {
        return v.realValue != 0.0;
    }
    return v.kind == KindString && v.extra && !v.extra->text.empty();
}

bool CFlowManager::AnalyseBody(const ExecContext& ctx, int64_t pos, int32_t missingSemicolon, BodyRange& body,
                               AnalysisFault& fault) const {
    int64_t b = SkipBlanks(ctx, pos);
    if (b <= ctx.end && ctx.text[b] == '{') {
        int64_t close = FindMatching(ctx, '{', b, ctx.end);
        if (close < 0) {
            fault = {4, b};
            return false;
        }
        body = {b + 1, close, true};
        return true;
    }
    int64_t semi = FindText(ctx, ";", b, ctx.end);
    if (semi < 0) {
        fault = {missingSemicolon, b > ctx.end ? ctx.pos : b};
        return false;
    }
    body = {b, semi, false};
    return true;
}

void CFlowManager::AnalyseIf(const ExecContext& ctx, std::vector<IfBranch>& branches) const {
    const char* t = ctx.text;
    branches.clear();
    int64_t p = ctx.pos; // at "if"
    while (true) {
        IfBranch b;
        b.at = p;
        int64_t open = SkipBlanks(ctx, p + 2);
        if (open > ctx.end || t[open] != '(') {
            b.preFault = {4, p};
            branches.push_back(b);
            return;
        }
        int64_t close = FindMatching(ctx, '(', open, ctx.end);
        if (close < 0) {
            b.preFault = {4, open};
            branches.push_back(b);
            return;
        }
        b.condition.from = open + 1;
        b.condition.to = close - 1;
        b.condition.semicolon = false;
        if (!AnalyseBody(ctx, close + 1, 9, b.body, b.bodyFault)) {
            branches.push_back(b);
            return;
        }
        branches.push_back(b);
        // The else test looks at four bytes only: "elseValue = 1;" is an else branch.
        const int64_t last = b.body.last;
        int64_t q = SkipBlanks(ctx, last + 1);
        if (q + 3 > ctx.end || std::memcmp(t + q, "else", 4) != 0) {
            return;
        }
        int64_t r = SkipBlanks(ctx, q + 4);
        if (r + 1 <= ctx.end && t[r] == 'i' && t[r + 1] == 'f' &&
            (r + 2 > ctx.end || !IsNameChar(t[r + 2]))) {
            p = r;
            continue;
        }
        IfBranch e;
        e.at = q;
        e.isElse = true;
        AnalyseBody(ctx, q + 4, 9, e.body, e.bodyFault);
        branches.push_back(e);
        return;
    }
}

void CFlowManager::AnalyseWhile(const ExecContext& ctx, LoopAnalysis& a) const {
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    int64_t open = SkipBlanks(ctx, stmt + 5);
    if (open > ctx.end || t[open] != '(') {
        a.fault = {12, stmt};
        return;
    }
    int64_t close = FindMatching(ctx, '(', open, ctx.end);
    if (close < 0 || close == open + 1) {
        a.fault = {4, open};
        return;
    }
    a.condition.from = open + 1;
    a.condition.to = close - 1;
    a.condition.semicolon = true;
    AnalyseBody(ctx, close + 1, 9, a.body, a.fault);
}

void CFlowManager::AnalyseFor(const ExecContext& ctx, LoopAnalysis& a) const {
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    int64_t open = SkipBlanks(ctx, stmt + 3);
    if (open > ctx.end || t[open] != '(') {
        a.fault = {12, stmt};
        return;
    }
    int64_t close = FindMatching(ctx, '(', open, ctx.end);
    if (close < 0) {
        a.fault = {4, open};
        return;
    }
    int64_t first = FindText(ctx, ";", open + 1, close - 1);
    int64_t second = first < 0 ? -1 : FindText(ctx, ";", first + 1, close - 1);
    if (second < 0) {
        a.fault = {9, stmt};
        return;
    }
    // The condition keeps its own ";", the step gets one.
    a.condition.from = first + 1;
    a.condition.to = second;
    a.condition.semicolon = false;
    a.step.from = second + 1;
    a.step.to = close - 1;
    a.step.semicolon = true;
    a.initFrom = open + 1;
    a.initEnd = first;
    AnalyseBody(ctx, close + 1, 9, a.body, a.fault);
}
