#include "engine/CFlowManager.h"

#include "engine/CCalcManager.h"
#include "engine/CVariableManager.h"
#include "engine/FastPaths.h"
#include "engine/ScriptFile.h"
#include "engine/StackGuard.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

int CFlowManager::Dispatch(const ExecContext& ctx, const std::string& word, int64_t p, int8_t& keyword) {
    keyword = 0;
    if (!word.empty() && variables->TypeSize(word) >= 0) {
        const int kind = ClassifyDeclaration(ctx, p);
        return kind == 0 ? 1 : kind == 1 ? 2 : 3;
    }
    if (!word.empty() && (calc->IsOperatorFunction(word) || calc->FindFunction(word))) {
        return 4;
    }
    keyword = KeywordOf(word);
    return keyword ? 5 : 6;
}

int CFlowManager::Dispatch(const ExecContext& ctx, StatementRecord& r) {
    if (r.dispatch != 0 && r.dispatchTypes == variables->TypesVersion() &&
        r.dispatchFunctions == calc->FunctionsVersion()) {
        return r.dispatch;
    }
    int dispatch = 0;
    if (IsTypeWord(r)) {
        if (r.declarationKind < 0) {
            r.declarationKind = static_cast<int8_t>(ClassifyDeclaration(ctx, r.start));
        }
        dispatch = r.declarationKind == 0 ? 1 : r.declarationKind == 1 ? 2 : 3;
    } else if (!r.word.empty() && (r.operatorFunction || IsFunctionWord(r))) {
        dispatch = 4;
    } else {
        dispatch = r.keyword ? 5 : 6;
    }
    r.dispatch = static_cast<int8_t>(dispatch);
    r.dispatchTypes = variables->TypesVersion();
    r.dispatchFunctions = calc->FunctionsVersion();
    return dispatch;
}

int8_t CFlowManager::KeywordOf(const std::string& word) {
    static const struct {
        const char* text;
        int8_t keyword;
    } keywords[] = {
        {"const", 1}, {"struct", 2},  {"if", 3},      {"while", 4}, {"for", 5},     {"switch", 6},
        {"case", 7},  {"default", 7}, {"typedef", 8}, {"break", 9}, {"return", 10},
    };
    for (const auto& k : keywords) {
        if (word == k.text) {
            return k.keyword;
        }
    }
    return 0;
}

CFlowManager::CFlowManager()
    : compiledPaths(FastPaths::Enabled()),
      compileTopLevel(FastPaths::GetMode() == FastPaths::Mode::kCompiledEverywhere) {}

CFlowManager::~CFlowManager() = default;

int32_t CFlowManager::SetTolerance(int32_t flags) {
    int32_t previous = tolerance;
    tolerance = flags;
    return previous;
}

void CFlowManager::Abort() {
    aborted = 1;
}

int CFlowManager::IsAborted() {
    return aborted;
}

void CFlowManager::Fail(ExecContext& ctx, int32_t code, int64_t pos) {
    ctx.error = code;
    ctx.pos = pos;
}

bool CFlowManager::InText(const ExecContext& ctx, const char* p) const {
    if (!p || !ctx.text) {
        return false;
    }
    uintptr_t a = reinterpret_cast<uintptr_t>(p);
    uintptr_t start = reinterpret_cast<uintptr_t>(ctx.text);
    int64_t last = std::max(ctx.end, ctx.textEnd);
    return a >= start && a <= start + static_cast<uintptr_t>(last + 1);
}

ScriptValue CFlowManager::EvaluateRange(const ExecContext& ctx, int64_t from, int64_t to,
                                        bool appendSemicolon) {
    // Statements at the top level of a file run once; their expressions are not worth keeping.
    const char* kept = runDepth > 1 || compileTopLevel ? KeptRange(ctx, from, to, appendSemicolon) : nullptr;
    ScriptValue v;
    if (kept) {
        v = calc->Evaluate(ScriptValue(kept, 0));
    } else {
        std::string text = CompactExpression(ctx.text + from, to >= from ? to - from + 1 : 0);
        if (appendSemicolon) {
            text += ';';
        }
        v = calc->Evaluate(ScriptValue(text.c_str() + 1, 0));
    }
    if (!InText(ctx, v.cursor)) {
        v.cursor = nullptr;
    }
    return v;
}

const char* CFlowManager::KeptRange(const ExecContext& ctx, int64_t from, int64_t to, bool appendSemicolon) {
    if (!compiledPaths || !calc) {
        return nullptr;
    }
    const int64_t length = to >= from ? to - from + 1 : 0;
    const RangeKey key{ctx.text + from, length, appendSemicolon};
    auto found = keptRanges.find(key);
    if (found != keptRanges.end()) {
        return found->second;
    }
    std::string text = CompactExpression(ctx.text + from, length);
    if (appendSemicolon) {
        text += ';';
    }
    const char* kept = calc->KeepExpression(text);
    keptRanges.emplace(key, kept);
    return kept;
}

ScriptValue CFlowManager::EvaluateText(const char* kept, const std::string& text) {
    return calc->Evaluate(ScriptValue(kept ? kept : text.c_str() + 1, 0));
}

void CFlowManager::ClearCompiled() {
    current = nullptr;
    recentRecords.fill(nullptr);
    records.clear();
    keptRanges.clear();
    keptSelectors.clear();
    if (calc) {
        calc->ClearCompiled();
    }
}

void CFlowManager::RunNested(ExecContext& ctx, int64_t from, int64_t end, int64_t limit,
                             ScriptValue* returnSlot) {
    ExecContext sub(ctx.text, from, end);
    sub.textEnd = std::max(ctx.end, ctx.textEnd);
    RunStatements(sub, limit, returnSlot);
    if (sub.error) {
        ctx.error = sub.error;
        ctx.pos = sub.pos;
        ctx.line = sub.line;
        ctx.lineText = sub.lineText;
    }
    ctx.breakCount += sub.breakCount;
    ctx.returnCount += sub.returnCount;
}

int32_t CFlowManager::RunStatements(ExecContext& ctx, int64_t limit, ScriptValue* returnSlot) {
    if (returnSlot) {
        *returnSlot = ScriptValue();
    }
    if (ctx.textEnd < ctx.end) {
        ctx.textEnd = ctx.end;
    }
    if (runDepth >= kMaxRunDepth || StackGuard::NearLimit() || !calc || !variables) {
        Fail(ctx, 11, ctx.pos);
    } else if (runDepth == 0 && calc->Depth() == 0) {
        // A new run: the texts of the last one may have changed or gone.
        ClearCompiled();
    }
    ++runDepth;
    // Statements in bodies may run many times: their records keep what was read from the text.
    const bool useRecords = compiledPaths && (runDepth > 1 || compileTopLevel);
    StatementRecord* previous = nullptr;
    std::string readWord;
    // A loop that runs this range again keeps where its first record is.
    StatementRecord** first = entryHint;
    entryHint = nullptr;
    int64_t count = 0;
    while (ctx.pos <= ctx.end && ctx.error == 0 && (limit < 0 || count < limit) && ctx.breakCount == 0 &&
           ctx.returnCount == 0 && !IsAborted()) {
        StatementRecord* rec = nullptr;
        int64_t p = 0;
        if (useRecords) {
            StatementRecord* next = previous ? previous->next : first ? *first : nullptr;
            rec = next && next->pos == ctx.pos && next->text == ctx.text && next->end == ctx.end
                      ? next
                      : RecordAt(ctx, ctx.pos);
            if (previous) {
                previous->next = rec;
            } else if (first) {
                *first = rec;
            }
            p = rec->start;
        } else {
            p = SkipBlanks(ctx, ctx.pos);
        }
        if (p > ctx.end) {
            ctx.pos = p;
            break;
        }
        ctx.pos = p;
        if (!rec) {
            readWord = ReadName(ctx, p, dbcsNames != 0);
        }
        const std::string& word = rec ? rec->word : readWord;
        const char c = ctx.text[p];
        bool endsCall = false;
        current = rec;
        int8_t keyword = 0;
        int dispatch = 0;
        if (rec) {
            dispatch = rec->dispatch != 0 && rec->dispatchTypes == variables->TypesVersion() &&
                               rec->dispatchFunctions == calc->FunctionsVersion()
                           ? rec->dispatch
                           : Dispatch(ctx, *rec);
        } else {
            dispatch = Dispatch(ctx, word, p, keyword);
        }
        if (rec) {
            keyword = rec->keyword;
        }
        switch (dispatch) {
        case 1:
            DoDeclaration(ctx, std::string(), 0);
            break;
        case 2:
            DoPrototype(ctx);
            break;
        case 3:
            Fail(ctx, 31, p);
            break;
        case 4:
            DoCallStatement(ctx);
            break;
        case 5:
            switch (keyword) {
            case 1:
                DoConst(ctx);
                break;
            case 2:
                DoStruct(ctx);
                break;
            case 3:
                DoIf(ctx, returnSlot);
                break;
            case 4:
                DoWhile(ctx, returnSlot);
                break;
            case 5:
                forReturnSlot = returnSlot;
                DoFor(ctx);
                break;
            case 6:
                DoSwitch(ctx, returnSlot);
                break;
            case 7:
                DoCase(ctx);
                break;
            case 8:
                DoTypedef(ctx);
                break;
            case 9:
                ctx.pos = p + 5;
                ++ctx.breakCount;
                break;
            default:
                DoReturn(ctx, returnSlot);
                endsCall = true;
                break;
            }
            break;
        default:
            if (c == '*' || c == '+' || c == '-' ||
                (!word.empty() &&
                 (rec ? IsVariableWord(*rec) : variables->FindVariable(word, -1) != nullptr))) {
                DoExpression(ctx);
            } else if (!word.empty()) {
                Fail(ctx, 1, p);
            } else if (c == '}') {
                ctx.pos = p + 1;
                endsCall = true;
            } else if (c == '#') {
                DoDirective(ctx);
            } else if (c == ';') {
                ctx.pos = p + 1;
            } else {
                DoOtherStatement(ctx);
            }
            break;
        }
        ++count;
        if (ctx.error == 0) {
            if (ctx.pos <= p && ctx.breakCount == 0 && ctx.returnCount == 0) {
                // A handler that did not move would loop for ever; no handler should, but a hostile text
                // must never hang the interpreter.
                Fail(ctx, 19, p);
                break;
            }
            if (rec && rec->leftAt == ctx.pos) {
                ctx.pos = rec->nextStart;
            } else {
                const int64_t left = ctx.pos;
                ctx.pos = SkipBlanks(ctx, ctx.pos);
                if (rec) {
                    rec->leftAt = left;
                    rec->nextStart = ctx.pos;
                }
            }
        }
        previous = rec;
        if (endsCall) {
            break;
        }
    }
    if (ctx.error != 0 && ctx.line == 0) {
        ctx.line = LineOfPosition(ctx.text, ctx.pos, ctx.textEnd, ctx.lineText);
    }
    --runDepth;
    return ctx.error;
}

// ---- expressions ----

void CFlowManager::DoExpression(ExecContext& ctx) {
    StatementRecord* r = CurrentRecord(ctx);
    int64_t semi = 0;
    if (r) {
        if (r->semicolon == -2) {
            r->semicolon = FindText(ctx, ";", ctx.pos, ctx.end);
            r->expression.from = ctx.pos;
            r->expression.to = r->semicolon - 1;
            r->expression.semicolon = true;
        }
        semi = r->semicolon;
    } else {
        semi = FindText(ctx, ";", ctx.pos, ctx.end);
    }
    if (semi < 0) {
        Fail(ctx, 9, ctx.pos);
        return;
    }
    if (r) {
        FastValue v = r->expression.kept ? calc->EvaluateKeptFast(r->expression.kept, r->expression.program)
                                         : EvaluateExpressionFast(ctx, r->expression);
        if (v.error && !InText(ctx, v.cursor)) {
            v.cursor = nullptr;
        }
        if (v.error) {
            Fail(ctx, v.error, v.cursor ? v.cursor - ctx.text : ctx.pos);
            return;
        }
        ctx.pos = semi + 1;
        return;
    }
    ScriptValue v = EvaluateRange(ctx, ctx.pos, semi - 1, true);
    if (v.error) {
        Fail(ctx, v.error, v.cursor ? v.cursor - ctx.text : ctx.pos);
        return;
    }
    ctx.pos = semi + 1;
}

void CFlowManager::DoCallStatement(ExecContext& ctx) {
    DoExpression(ctx);
}

// ---- declarations ----

bool CFlowManager::RegisterDeclarator(ExecContext& ctx, const std::string& structName,
                                      const std::string& type, const std::string& name, int64_t count,
                                      int32_t flags, int64_t pos) {
    if (!structName.empty()) {
        if (!variables->AddStructMember(structName, type, name, count)) {
            Fail(ctx, 17, pos);
            return false;
        }
        return true;
    }
    if (!variables->RegisterVariable(type, name, count, flags, variables->ScopeLevel())) {
        Fail(ctx, 10, pos);
        return false;
    }
    return true;
}

void CFlowManager::DoDeclaration(ExecContext& ctx, const std::string& structName, int32_t flags) {
    std::string type;
    int64_t p = ReadTypeName(ctx, ctx.pos, type);
    const char* t = ctx.text;
    while (true) {
        p = SkipBlanks(ctx, p);
        const int64_t namePos = p;
        const std::string name = ReadName(ctx, p, dbcsNames != 0);
        p += static_cast<int64_t>(name.size());
        // After an array size only ";" and "," end the declarator; anything else is read as if it followed
        // the name, so "int a[3] = ..." registers "a" a second time (error 10).
        bool afterSize = false;
        while (true) {
            p = SkipBlanks(ctx, p);
            char c = p <= ctx.end ? t[p] : '\0';
            if (c == ';' || c == ',') {
                if (!afterSize && !RegisterDeclarator(ctx, structName, type, name, 0, 0, namePos)) {
                    return;
                }
                ++p;
                if (c == ';') {
                    ctx.pos = p;
                    return;
                }
                break;
            }
            if (c == '[') {
                int64_t close = FindMatching(ctx, '[', p, ctx.end);
                if (close < 0) {
                    Fail(ctx, 4, p);
                    return;
                }
                ScriptValue size = EvaluateRange(ctx, p + 1, close - 1, true);
                if (!size.error) {
                    ConvertTo(size, KindInt);
                }
                if (size.error) {
                    Fail(ctx, size.error, size.cursor ? size.cursor - t : namePos);
                    return;
                }
                if (size.intValue > 0 &&
                    !RegisterDeclarator(ctx, structName, type, name, size.intValue, 0, namePos)) {
                    return;
                }
                p = close + 1;
                afterSize = true;
                continue;
            }
            if (c == '=') {
                if (!RegisterDeclarator(ctx, structName, type, name, 0, flags, namePos)) {
                    return;
                }
                int64_t semi = FindText(ctx, ";", namePos, ctx.end);
                if (semi < 0) {
                    Fail(ctx, 9, namePos);
                    return;
                }
                ScriptValue v = EvaluateRange(ctx, namePos, semi - 1, true);
                if (v.error) {
                    Fail(ctx, v.error, v.cursor ? v.cursor - t : namePos);
                    return;
                }
                ctx.pos = semi + 1;
                return;
            }
            Fail(ctx, 11, p);
            return;
        }
    }
}

void CFlowManager::DoConst(ExecContext& ctx) {
    ctx.pos += 5;
    variables->SetWriteOverride(1);
    DoDeclaration(ctx, std::string(), 1);
    variables->SetWriteOverride(0);
}

void CFlowManager::DoTypedef(ExecContext& ctx) {
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    int64_t p = SkipBlanks(ctx, stmt + 7);
    std::string first = ReadName(ctx, p, dbcsNames != 0);
    int64_t q = p + static_cast<int64_t>(first.size());
    std::string type = first;
    int64_t r = SkipBlanks(ctx, q);
    if (r > q) {
        std::string second = ReadName(ctx, r, dbcsNames != 0);
        std::string target;
        if (!second.empty() && variables->TypedefTarget(first + " " + second, target) && target.empty()) {
            type = first + " " + second;
            q = r + static_cast<int64_t>(second.size());
        }
    }
    int64_t s = SkipBlanks(ctx, q);
    if (s <= ctx.end && t[s] == '*') {
        type += '*';
        q = s + 1;
    }
    q = SkipBlanks(ctx, q);
    std::string name = ReadName(ctx, q, dbcsNames != 0);
    q = SkipBlanks(ctx, q + static_cast<int64_t>(name.size()));
    if (q > ctx.end || t[q] != ';') {
        Fail(ctx, 9, q > ctx.end ? stmt : q);
        return;
    }
    if (!variables->AddTypedef(name, type) && !(tolerance & 1)) {
        Fail(ctx, 13, stmt);
        return;
    }
    ctx.pos = q + 1;
}

void CFlowManager::DoStruct(ExecContext& ctx) {
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    int64_t p = SkipBlanks(ctx, stmt + 6);
    std::string name = ReadName(ctx, p, dbcsNames != 0);
    if (name.empty()) {
        Fail(ctx, 16, stmt);
        return;
    }
    p += static_cast<int64_t>(name.size());
    // A struct whose name exists already is accepted when tolerance bit 1 is set; its members are then passed
    // over, so that the registered layout (a symbol file's, for a macro) stays as it is.
    bool skipMembers = false;
    if (!variables->RegisterStruct(name)) {
        if (!(tolerance & 2)) {
            Fail(ctx, 18, stmt);
            return;
        }
        skipMembers = true;
    }
    p = SkipBlanks(ctx, p);
    if (p > ctx.end || t[p] != '{') {
        Fail(ctx, 12, p > ctx.end ? stmt : p);
        return;
    }
    if (skipMembers) {
        int64_t close = FindMatching(ctx, '{', p, ctx.end);
        if (close < 0) {
            Fail(ctx, 4, p);
            return;
        }
        p = close + 1;
    } else {
        ++p;
        do {
            ctx.pos = p;
            DoDeclaration(ctx, name, 0);
            if (ctx.error) {
                return;
            }
            p = SkipBlanks(ctx, ctx.pos);
            if (p > ctx.end) {
                Fail(ctx, 9, ctx.pos > ctx.end ? ctx.end : ctx.pos);
                return;
            }
        } while (t[p] != '}');
        ++p;
    }
    p = SkipBlanks(ctx, p);
    if (p > ctx.end || t[p] != ';') {
        Fail(ctx, 9, p > ctx.end ? stmt : p);
        return;
    }
    ctx.pos = p + 1;
}

void CFlowManager::DoPrototype(ExecContext& ctx) {
    const int64_t stmt = ctx.pos;
    const char* t = ctx.text;
    std::string returnType;
    int64_t p = ReadTypeName(ctx, stmt, returnType);
    p = SkipBlanks(ctx, p);
    const std::string name = ReadName(ctx, p, false);
    p = SkipBlanks(ctx, p + static_cast<int64_t>(name.size()));
    if (name.empty() || p > ctx.end || t[p] != '(') {
        Fail(ctx, 27, stmt);
        return;
    }
    const int64_t protoParen = p;
    // The definition: the name, not preceded by a name character, then "(", the first ")" after it and "{".
    int64_t defParen = -1;
    int64_t bodyStart = -1;
    for (int64_t from = protoParen + 1;;) {
        int64_t q = FindToken(ctx, name, from, ctx.end);
        if (q < 0) {
            break;
        }
        from = q + 1;
        if (q > 0 && IsNameChar(t[q - 1])) {
            continue;
        }
        int64_t r = SkipBlanks(ctx, q + static_cast<int64_t>(name.size()));
        if (r > ctx.end || t[r] != '(') {
            continue;
        }
        int64_t close = FindToken(ctx, ")", r + 1, ctx.end);
        if (close < 0) {
            continue;
        }
        int64_t b = SkipBlanks(ctx, close + 1);
        if (b > ctx.end || t[b] != '{') {
            continue;
        }
        defParen = r;
        bodyStart = b + 1;
        break;
    }
    if (defParen < 0) {
        int64_t semi = FindToken(ctx, ";", protoParen, ctx.end);
        if (semi < 0) {
            Fail(ctx, 9, stmt);
            return;
        }
        ctx.pos = semi + 1;
        return;
    }
    if (!calc->RegisterFunction(name, returnType, t, bodyStart, std::max(ctx.end, ctx.textEnd))) {
        Fail(ctx, 28, stmt);
        return;
    }
    int64_t pp = protoParen + 1;
    int64_t dp = defParen + 1;
    while (true) {
        std::string protoType;
        std::string defType;
        pp = ReadTypeName(ctx, pp, protoType);
        dp = ReadTypeName(ctx, dp, defType);
        if (protoType.empty()) {
            Fail(ctx, 27, stmt);
            return;
        }
        if (protoType != defType) {
            Fail(ctx, 29, stmt);
            return;
        }
        if (protoType != "void") {
            dp = SkipBlanks(ctx, dp);
            std::string parameter = ReadName(ctx, dp, false);
            if (parameter.empty() || !calc->AddFunctionParameter(name, defType, parameter)) {
                Fail(ctx, 30, stmt);
                return;
            }
            dp += static_cast<int64_t>(parameter.size());
            pp = SkipBlanks(ctx, pp);
            pp += static_cast<int64_t>(ReadName(ctx, pp, false).size());
        }
        pp = SkipBlanks(ctx, pp);
        dp = SkipBlanks(ctx, dp);
        char cp = pp <= ctx.end ? t[pp] : '\0';
        char cd = dp <= ctx.end ? t[dp] : '\0';
        if (protoType == "void" ? (cp != ')' || cd != ')') : (cp != cd || (cp != ',' && cp != ')'))) {
            Fail(ctx, 27, stmt);
            return;
        }
        if (cp == ')') {
            int64_t semi = FindToken(ctx, ";", pp + 1, ctx.end);
            if (semi < 0) {
                Fail(ctx, 9, stmt);
                return;
            }
            ctx.pos = semi + 1;
            return;
        }
        ++pp;
        ++dp;
    }
}

// ---- return, directives ----

void CFlowManager::DoReturn(ExecContext& ctx, ScriptValue* returnSlot) {
    const int64_t stmt = ctx.pos;
    StatementRecord* r = CurrentRecord(ctx);
    int64_t semi = 0;
    if (r) {
        if (r->semicolon == -2) {
            r->semicolon = FindToken(ctx, ";", stmt + 6, ctx.end);
            r->expression.from = stmt + 6;
            r->expression.to = r->semicolon - 1;
            r->expression.semicolon = true;
        }
        semi = r->semicolon;
    } else {
        semi = FindToken(ctx, ";", stmt + 6, ctx.end);
    }
    if (semi < 0) {
        Fail(ctx, 9, stmt);
        return;
    }
    ++ctx.returnCount;
    if (r && !r->expression.kept) {
        r->expression.kept = KeptRange(ctx, stmt + 6, semi - 1, true);
    }
    const char* kept = r ? r->expression.kept : nullptr;
    if (kept && *kept == ';') {
        // An empty expression compacts to ";" alone.
        ctx.pos = semi + 1;
        return;
    }
    std::string text;
    if (!kept) {
        text = CompactExpression(ctx.text + stmt + 6, semi - stmt - 6) + ";";
    }
    if (kept || text.size() > 2) {
        ScriptValue v =
            kept ? calc->EvaluateKeptUnnamed(kept, r->expression.program) : EvaluateText(nullptr, text);
        if (v.error) {
            Fail(ctx, v.error, InText(ctx, v.cursor) ? v.cursor - ctx.text : stmt);
            return;
        }
        if (!returnSlot) {
            Fail(ctx, 26, stmt);
            return;
        }
        v.cursor = nullptr;
        v.name.clear();
        *returnSlot = std::move(v);
    }
    ctx.pos = semi + 1;
}

void CFlowManager::DoDirective(ExecContext& ctx) {
    const int64_t stmt = ctx.pos;
    std::string name = ReadName(ctx, stmt + 1, false);
    if (name != "include") {
        Fail(ctx, 14, stmt);
        return;
    }
    ctx.pos = stmt + 1 + 7;
    DoInclude(ctx);
    if (ctx.error && ctx.line == 0) {
        ctx.pos = stmt;
    }
}

void CFlowManager::DoOtherStatement(ExecContext& ctx) {
    Fail(ctx, 19, ctx.pos);
}

void CFlowManager::DoInclude(ExecContext& ctx) {
    const char* t = ctx.text;
    int64_t p = SkipBlanks(ctx, ctx.pos);
    if (p > ctx.end || t[p] != '"') {
        Fail(ctx, 14, ctx.pos);
        return;
    }
    int64_t close = FindText(ctx, "\"", p + 1, ctx.end);
    if (close < 0 || close == p + 1) {
        Fail(ctx, 14, ctx.pos);
        return;
    }
    std::string name = CompactExpression(t + p + 1, close - p - 1).substr(1);
    // The script's "\" separators are this platform's "/".
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string path = includeDir.empty() ? name : includeDir + "/" + name;
    if (std::find(includedFiles.begin(), includedFiles.end(), path) != includedFiles.end()) {
        ctx.pos = close + 1;
        return;
    }
    includedFiles.push_back(path);
    auto text = std::make_unique<std::string>();
    if (!ScriptFile::Load(path, *text)) {
        Fail(ctx, 15, ctx.pos);
        return;
    }
    includedTexts.push_back(std::move(text));
    const std::string& included = *includedTexts.back();
    ExecContext sub(included.data(), 0, static_cast<int64_t>(included.size()) - 1);
    RunStatements(sub, -1, nullptr);
    if (sub.error) {
        ctx.error = sub.error;
        ctx.line = sub.line;
        ctx.lineText = sub.lineText;
        return;
    }
    ctx.pos = close + 1;
}

// ---- switch tables ----

int64_t CFlowManager::FindSwitchTable(int64_t identity) {
    for (int64_t i = 0; i < switchTables.GetRowCount(); ++i) {
        CSmartArray<long long>* row = switchTables.GetRow(i);
        if (row->GetCount() > 0 && row->GetAt(0) == identity) {
            return i;
        }
    }
    return -1;
}

int64_t CFlowManager::RowOf(int64_t identity) {
    return FindSwitchTable(identity);
}

int CFlowManager::NewSwitchTable(int64_t identity) {
    if (FindSwitchTable(identity) >= 0) {
        return 0;
    }
    int64_t index = switchTables.GetRowCount();
    CSmartArray<long long>* row = switchTables.GetRow(index);
    row->SetAtGrow(0, identity);
    row->SetAtGrow(1, -1);
    row->SetAtGrow(2, -1);
    if (static_cast<int64_t>(switchSelectors.size()) <= index) {
        switchSelectors.resize(static_cast<size_t>(index + 1));
    }
    return 1;
}

void CFlowManager::SetSwitchEnd(int64_t identity, int64_t position) {
    int64_t i = RowOf(identity);
    if (i >= 0) {
        switchTables.GetRow(i)->SetAtGrow(1, position);
    }
}

void CFlowManager::SetSwitchDefault(int64_t identity, int64_t position) {
    int64_t i = RowOf(identity);
    if (i >= 0) {
        switchTables.GetRow(i)->SetAtGrow(2, position);
    }
}

void CFlowManager::AddSwitchCase(int64_t identity, int64_t value, int64_t position) {
    int64_t i = RowOf(identity);
    if (i >= 0) {
        CSmartArray<long long>* row = switchTables.GetRow(i);
        int64_t n = row->GetCount();
        row->SetAtGrow(n, value);
        row->SetAtGrow(n + 1, position);
    }
}

void CFlowManager::SetSwitchSelector(int64_t identity, const std::string& text) {
    int64_t i = RowOf(identity);
    if (i >= 0) {
        switchSelectors[static_cast<size_t>(i)] = text;
    }
}

int64_t CFlowManager::GetSwitchEnd(int64_t identity) {
    int64_t i = RowOf(identity);
    return i < 0 ? -1 : switchTables.GetRow(i)->GetAt(1);
}

int64_t CFlowManager::GetSwitchDefault(int64_t identity) {
    int64_t i = RowOf(identity);
    return i < 0 ? -1 : switchTables.GetRow(i)->GetAt(2);
}

int64_t CFlowManager::FindSwitchCase(int64_t identity, int64_t value) {
    int64_t i = RowOf(identity);
    if (i < 0) {
        return -1;
    }
    CSmartArray<long long>* row = switchTables.GetRow(i);
    for (int64_t k = 3; k + 1 < row->GetCount(); k += 2) {
        if (row->GetAt(k) == value) {
            return row->GetAt(k + 1);
        }
    }
    return -1;
}

std::string CFlowManager::GetSwitchSelector(int64_t identity) {
    int64_t i = RowOf(identity);
    return i < 0 ? std::string() : switchSelectors[static_cast<size_t>(i)];
}
