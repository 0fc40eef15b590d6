// The compiled evaluation: each evaluation of a kept expression text is analysed once into the turns its loop
// takes (CompiledSequence); running them has the effect of the text evaluator's loop. Whatever the analysis
// cannot foresee is left to the text evaluator from the point where it happens.
#include "engine/CCalcManager.h"

#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"
#include "engine/ExecContext.h"
#include "engine/ScriptArithmetic.h"
#include "engine/ScriptNames.h"
#include "engine/ScriptOperators.h"
#include "engine/StackGuard.h"

#include <cstdio>
#include <cstring>

namespace {

// Evaluations nested deeper than this inside one compilation are compiled when they are first run.
constexpr int32_t kMaxCompileDepth = 48;
// Longest sequence of loop turns compiled; the text evaluator runs the rest.
constexpr size_t kMaxSteps = 4096;
// Bound of the compiled forms kept: per byte of kept expression text, plus an allowance.
constexpr size_t kSequencesPerKeptByte = 8;
constexpr size_t kSequenceAllowance = 4096;

CompiledStep::OperatorClass OperatorClassOf(int32_t id) {
    if ((id >= 0 && id <= 12 && id != 13) || (id >= 14 && id <= 18)) {
        return CompiledStep::kBinary;
    }
    switch (id) {
    case 13:
    case 19:
    case 20:
    case 21:
        return CompiledStep::kUnary;
    case 22:
        return CompiledStep::kAssign;
    case 36:
    case 37:
        return CompiledStep::kIncDec;
    case 38:
    case 39:
    case 40:
    case 41:
        return CompiledStep::kCompound;
    case 24:
        return CompiledStep::kParen;
    default:
        return CompiledStep::kOtherOperator;
    }
}

bool TakesRightOperand(int32_t id) {
    return (id >= 0 && id <= 22) || (id >= 38 && id <= 43);
}

// The byte before an operator that makes "+", "-", "&" and "*" binary.
bool MakesBinary(char prev) {
    return ScriptNames::IsAsciiLetter(prev) || ScriptNames::IsDigit(prev) || prev == ')' || prev == ']' ||
           prev == '.' || prev == '"' || prev == '\'';
}

// The ")" that closes a binding function's argument list opened just before p, passing over string literals
// and character constants; null when there is none.
const char* MatchingParen(const char* p) {
    int nesting = 1;
    for (; *p; ++p) {
        if (*p == '"') {
            const char* close = std::strchr(p + 1, '"');
            if (!close) {
                return nullptr;
            }
            p = close;
        } else if (*p == '(') {
            ++nesting;
        } else if (*p == ')' && --nesting == 0) {
            return p;
        }
    }
    return nullptr;
}

} // namespace

const char* CCalcManager::PredictedEnd(const CompiledSequence* s) {
    if (!s) {
        return nullptr;
    }
    switch (s->end) {
    case CompiledSequence::kEndOfText:
    case CompiledSequence::kStop:
    case CompiledSequence::kPutBack:
        return s->endAt;
    case CompiledSequence::kSemicolon:
        return s->endAt + 1;
    default:
        return nullptr;
    }
}

const CompiledSequence* CCalcManager::CompiledFor(const char* start, int32_t bound, int32_t compileDepth) {
    CompiledSequence* s = expressions.Find(start, bound);
    if (s && s->functionsVersion == functionsVersion) {
        return s;
    }
    // The compiled forms stay within a bound of the kept texts' size (a script that registers functions
    // between the runs of the same expressions has them compiled again); beyond it evaluations run from the
    // text.
    if (compileDepth > kMaxCompileDepth ||
        expressions.SequenceCount() > kSequencesPerKeptByte * expressions.KeptBytes() + kSequenceAllowance) {
        return nullptr;
    }
    return expressions.Add(Compile(start, bound, compileDepth));
}

std::unique_ptr<CompiledSequence> CCalcManager::Compile(const char* start, int32_t bound,
                                                        int32_t compileDepth) {
    auto s = std::make_unique<CompiledSequence>();
    s->start = start;
    s->bound = bound;
    s->functionsVersion = functionsVersion;
    s->end = CompiledSequence::kText;
    // At the start of the outermost expression "+", "-", "&" and "*" are always unary; elsewhere the byte
    // before decides. An evaluation that may start either way is left to the text evaluator.
    const char previous = expressions.Holds(start - 1) ? start[-1] : '\0';
    if (MakesBinary(previous) && std::strchr("+-&*", *start) && *start) {
        return s;
    }
    // The decisions below are taken by the previous byte, as for any position but the outermost start.
    const char* savedStart = exprStart;
    exprStart = nullptr;
    const char* q = start;
    while (s->steps.size() < kMaxSteps) {
        const char c = *q;
        if (c == '\0') {
            s->end = CompiledSequence::kEndOfText;
            s->endAt = q;
            break;
        }
        if (c == ';') {
            s->end = CompiledSequence::kSemicolon;
            s->endAt = q;
            break;
        }
        CompiledStep step;
        step.at = q;
        if (ScriptNames::IsDigit(c) || c == '"' || c == '\'') {
            ScriptValue v = c == '"' ? ReadStringLiteral(q) : c == '\'' ? ReadCharConstant(q) : ReadNumber(q);
            if (v.error) {
                break;
            }
            step.kind = CompiledStep::kValue;
            q = v.cursor;
            step.value = std::move(v);
            s->steps.push_back(std::move(step));
            continue;
        }
        const OperatorRow* row = FindOperator(q);
        if (!row) {
            const std::string name = ScriptNames::Read(q, false);
            const UserFunction* f = name.empty() ? nullptr : FindFunction(name);
            const char* after = nullptr;
            if (f) {
                step.kind = CompiledStep::kFunction;
                step.function = f;
                step.name = name;
                after = CompileCall(step, *f, q + name.size(), compileDepth);
            } else {
                after = CompilePath(step, q, compileDepth);
            }
            s->steps.push_back(std::move(step));
            if (!after) {
                break;
            }
            q = after;
            continue;
        }
        if (row->precedence <= bound) {
            s->end = CompiledSequence::kStop;
            s->endAt = q;
            break;
        }
        const int32_t id = row->id;
        const char* after = q + std::strlen(row->text);
        if (*after == '\0' && id != 23 && id != 26 && id != 36 && id != 37) {
            s->end = CompiledSequence::kOperatorAtEnd;
            s->endAt = q;
            s->endLevel = row->precedence;
            break;
        }
        if (id == 23 || id == 25 || id == 26) {
            s->end = CompiledSequence::kPutBack;
            s->endAt = q;
            s->endLevel = row->precedence;
            break;
        }
        step.kind = id > 43 ? CompiledStep::kExtension : CompiledStep::kOperator;
        step.operatorClass = OperatorClassOf(id);
        step.row = row;
        step.afterText = after;
        const char* next = CompileOperator(step, s->steps.empty(), compileDepth);
        s->steps.push_back(std::move(step));
        if (!next) {
            break;
        }
        q = next;
    }
    exprStart = savedStart;
    const bool plainEnd = s->end == CompiledSequence::kSemicolon || s->end == CompiledSequence::kPutBack ||
                          s->end == CompiledSequence::kEndOfText || s->end == CompiledSequence::kStop;
    s->literal = plainEnd && s->steps.size() == 1 && s->steps[0].kind == CompiledStep::kValue &&
                 s->steps[0].value.kind != KindString && s->steps[0].value.cursor == s->endAt;
    s->variable = plainEnd && s->steps.size() == 1 && s->steps[0].kind == CompiledStep::kVariable &&
                  !s->steps[0].indexAt && s->steps[0].pathEnd == s->endAt;
    return s;
}

const char* CCalcManager::CompileOperator(CompiledStep& step, bool firstStep, int32_t compileDepth) {
    const int32_t id = step.row->id;
    const char* after = step.afterText;
    const int32_t precedence = step.row->precedence;
    if (TakesRightOperand(id)) {
        step.operand = CompiledFor(after, precedence, compileDepth + 1);
        return PredictedEnd(step.operand);
    }
    switch (id) {
    case 36:
    case 37:
        // Postfix when a value precedes; a sequence starts with a void value, so there the form is prefix.
        if (firstStep) {
            step.operand = CompiledFor(after, precedence, compileDepth + 1);
            return PredictedEnd(step.operand);
        }
        return after;
    case 24:
    case 29:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34: {
        step.operand = CompiledFor(after, 0, compileDepth + 1);
        const char* end = PredictedEnd(step.operand);
        return end && *end == ')' ? end + 1 : nullptr;
    }
    case 27:
    case 28: {
        step.operand = CompiledFor(after, 0, compileDepth + 1);
        const char* a = PredictedEnd(step.operand);
        if (!a || *a != ',') {
            return nullptr;
        }
        step.operand2 = CompiledFor(a + 1, 0, compileDepth + 1);
        const char* b = PredictedEnd(step.operand2);
        return b && *b == ')' ? b + 1 : nullptr;
    }
    case 35: {
        const char* close = std::strchr(after, ')');
        return close ? close + 1 : nullptr;
    }
    default:
        if (id > 43) {
            // A binding function reads its arguments itself, normally up to the ")" that closes them.
            const char* close = MatchingParen(after);
            return close ? close + 1 : nullptr;
        }
        return nullptr;
    }
}

const char* CCalcManager::CompileCall(CompiledStep& step, const UserFunction& f, const char* p,
                                      int32_t compileDepth) {
    if (*p != '(') {
        return nullptr;
    }
    const char* cursor = p + 1;
    const size_t count = f.parameterTypes.size();
    for (size_t i = 0; i < count; ++i) {
        if (*cursor == ')') {
            return nullptr;
        }
        const CompiledSequence* argument = CompiledFor(cursor, 0, compileDepth + 1);
        step.arguments.push_back(argument);
        const char* end = PredictedEnd(argument);
        if (!end) {
            return nullptr;
        }
        const char c = *end;
        const bool last = i + 1 == count;
        if ((c != ',' && c != ')') || (c == ')' && !last) || (c == ',' && last)) {
            return nullptr;
        }
        cursor = end + 1;
    }
    if (count == 0) {
        if (*cursor != ')') {
            return nullptr;
        }
        ++cursor;
    }
    return cursor;
}

const char* CCalcManager::CompilePath(CompiledStep& step, const char* p, int32_t compileDepth) {
    step.kind = CompiledStep::kPath;
    int names = 0;
    int indices = 0;
    while (true) {
        const std::string name = ScriptNames::Read(p, true);
        if (name.empty()) {
            return nullptr;
        }
        if (names == 0) {
            step.name = name;
        }
        ++names;
        p += name.size();
        if (*p == '[') {
            if (names == 1) {
                step.indexAt = p + 1;
                step.operand = CompiledFor(p + 1, 0, compileDepth + 1);
            }
            ++indices;
            const char* end = PredictedEnd(CompiledFor(p + 1, 0, compileDepth + 1));
            if (!end || *end != ']') {
                return nullptr;
            }
            p = end + 1;
        }
        if (*p == '.') {
            ++p;
            continue;
        }
        break;
    }
    if (names == 1 && variables) {
        step.kind = CompiledStep::kVariable;
        step.nameId = variables->InternName(step.name);
        step.nameGeneration = variables->NameGeneration();
    }
    step.pathEnd = p;
    return p;
}

// ---- running ----

namespace {

using ScriptArithmetic::IsNumeric;
using ScriptArithmetic::Number;

Number NumberOf(const FastValue& v) {
    Number n;
    n.kind = v.kind;
    n.i = v.intValue;
    n.r = v.realValue;
    return n;
}

// A fresh numeric result (level 0, no name) at the cursor.
FastValue NumberValue(const Number& n, const char* cursor) {
    FastValue v;
    v.kind = n.kind;
    v.intValue = n.i;
    v.realValue = n.r;
    v.cursor = cursor;
    return v;
}

// Makes v the value an evaluation starts with: void, at the cursor, with the precedence bound as its level.
inline void StartValue(FastValue& v, const char* cursor, int32_t level) {
    v.error = 0;
    v.kind = KindVoid;
    v.level = level;
    v.intValue = 0;
    v.realValue = 0.0;
    v.cursor = cursor;
    v.nameStep = nullptr;
    v.nameIndex = 0;
    v.extra.reset();
}

FastValue::Extra& ExtraOf(FastValue& v) {
    if (!v.extra) {
        v.extra = std::make_unique<FastValue::Extra>();
    }
    return *v.extra;
}

} // namespace

std::string CCalcManager::NameOf(const FastValue& v) const {
    if (v.nameStep) {
        if (!v.nameStep->indexAt) {
            return v.nameStep->name;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "[%d]", static_cast<int>(v.nameIndex));
        return v.nameStep->name + buffer;
    }
    return v.extra ? v.extra->name : std::string();
}

ScriptValue CCalcManager::ToScript(FastValue&& v) const {
    ScriptValue s(v.cursor, v.level);
    s.error = v.error;
    s.kind = v.kind;
    s.intValue = v.intValue;
    s.realValue = v.realValue;
    if (v.nameStep) {
        s.name = NameOf(v);
    }
    if (v.extra) {
        s.text = std::move(v.extra->text);
        if (!v.nameStep) {
            s.name = std::move(v.extra->name);
        }
    }
    return s;
}

FastValue CCalcManager::FromScript(ScriptValue&& s) {
    FastValue v;
    v.error = s.error;
    v.kind = s.kind;
    v.level = s.level;
    v.intValue = s.intValue;
    v.realValue = s.realValue;
    v.cursor = s.cursor;
    if (!s.text.empty() || !s.name.empty()) {
        v.extra = std::make_unique<FastValue::Extra>();
        v.extra->text = std::move(s.text);
        v.extra->name = std::move(s.name);
    }
    return v;
}

ScriptValue CCalcManager::RunSequence(const CompiledSequence& s) {
    FastValue v;
    RunSeq(s, v);
    return ToScript(std::move(v));
}

void CCalcManager::RunSub(const CompiledSequence* sub, const char* cursor, int32_t bound, FastValue& v) {
    if (sub && sub->start == cursor && sub->bound == bound) {
        if (sub->literal) {
            // One number and the end: what RunSeq does for it, without the loop.
            StartValue(v, cursor, bound);
            if (depth >= kMaxDepth || StackGuard::Frame() < stackFloor) {
                v.error = 11;
                return;
            }
            const CompiledStep& step = sub->steps[0];
            v.kind = step.value.kind;
            v.intValue = step.value.intValue;
            v.realValue = step.value.realValue;
            v.level = 0;
            if (sub->end == CompiledSequence::kSemicolon) {
                v.cursor = sub->endAt + 1;
            } else {
                v.cursor = sub->endAt;
                if (sub->end == CompiledSequence::kPutBack) {
                    v.level = sub->endLevel;
                }
            }
            return;
        }
        if (sub->variable && sub->functionsVersion == functionsVersion) {
            // One variable and the end (RunSub runs inside a step, never as the outermost evaluation).
            StartValue(v, cursor, bound);
            if (depth >= kMaxDepth || StackGuard::Frame() < stackFloor) {
                v.error = 11;
                return;
            }
            ++depth;
            ReadSimple(sub->steps[0], v);
            if (v.error == 0) {
                if (v.cursor != sub->endAt) {
                    ScriptValue sv = ToScript(std::move(v));
                    TextLoop(sv, bound);
                    v = FromScript(std::move(sv));
                } else if (sub->end == CompiledSequence::kSemicolon) {
                    v.cursor = sub->endAt + 1;
                } else if (sub->end == CompiledSequence::kPutBack) {
                    v.level = sub->endLevel;
                }
            }
            --depth;
            return;
        }
        RunSeq(*sub, v);
        return;
    }
    v = FromScript(Evaluate(ScriptValue(cursor, bound)));
}

[[gnu::always_inline]] inline bool CCalcManager::ResolveDirect(const CompiledStep& nameStep, int32_t index,
                                                               VariableRecord*& record, int64_t& offset) {
    if (!UseDirect()) {
        return false;
    }
    const uint64_t visibility = variables->Visibility();
    if (nameStep.siteVisibility != visibility) {
        if (nameStep.nameGeneration != variables->NameGeneration() || nameStep.nameId < 0) {
            nameStep.nameId = variables->InternName(nameStep.name);
            nameStep.nameGeneration = variables->NameGeneration();
        }
        nameStep.siteRecord = variables->FindVariableById(nameStep.nameId, -1);
        nameStep.siteVisibility = visibility;
    }
    record = nameStep.siteRecord;
    if (!record || record->kind == KindNone) {
        return false;
    }
    offset = CVariableManager::ElementOffset(*record, index);
    return offset >= 0;
}

[[gnu::always_inline]] inline void CCalcManager::ReadSimple(const CompiledStep& step, FastValue& v) {
    int32_t index = 0;
    const char* p = step.pathEnd;
    if (step.indexAt) {
        FastValue i;
        RunSub(step.operand, step.indexAt, 0, i);
        if (i.error) {
            v = std::move(i);
            return;
        }
        if (*i.cursor != ']') {
            v = FastValue::Error(4, i.cursor);
            return;
        }
        const char* after = i.cursor + 1;
        if (!IsNumeric(i.kind)) {
            v = FastValue::Error(6, after);
            return;
        }
        index = static_cast<int32_t>(ScriptArithmetic::Convert(NumberOf(i), KindInt).i);
        if (after != step.pathEnd) {
            // The index ended elsewhere than foreseen: read on as the text evaluator does.
            FastValue named;
            named.nameStep = &step;
            named.nameIndex = index;
            v = FromScript(ContinuePath(NameOf(named), after));
            return;
        }
        p = after;
    }
    VariableRecord* record = nullptr;
    int64_t offset = 0;
    if (!ResolveDirect(step, index, record, offset)) {
        FastValue named;
        named.nameStep = &step;
        named.nameIndex = index;
        v = FromScript(ReadPathType(NameOf(named), p));
        return;
    }
    // The value replaces the current one.
    FastValue& out = v;
    out.extra.reset();
    out.error = 0;
    out.level = 0;
    out.intValue = 0;
    out.realValue = 0;
    const uint8_t* at = variables->MemoryBase() + offset;
    out.kind = record->kind;
    switch (record->kind) {
    case KindChar:
        out.intValue = static_cast<int8_t>(at[0]);
        break;
    case KindUChar:
        out.intValue = at[0];
        break;
    case KindShort: {
        int16_t x;
        std::memcpy(&x, at, 2);
        out.intValue = x;
        break;
    }
    case KindUShort: {
        uint16_t x;
        std::memcpy(&x, at, 2);
        out.intValue = x;
        break;
    }
    case KindInt: {
        int32_t x;
        std::memcpy(&x, at, 4);
        out.intValue = x;
        break;
    }
    case KindUInt: {
        uint32_t x;
        std::memcpy(&x, at, 4);
        out.intValue = x;
        break;
    }
    case KindFloat: {
        float x;
        std::memcpy(&x, at, 4);
        out.realValue = x;
        break;
    }
    case KindDouble:
        std::memcpy(&out.realValue, at, 8);
        break;
    case KindString:
        variables->StringAt(offset, ExtraOf(out).text);
        break;
    case KindPointer:
        std::memcpy(&out.intValue, at, 8);
        ExtraOf(out).text = record->typeName.substr(0, record->typeName.size() - 1);
        break;
    default:
        break;
    }
    out.cursor = p;
    out.nameStep = &step;
    out.nameIndex = index;
}

void CCalcManager::CallCompiled(const CompiledStep& step, FastValue& v) {
    const UserFunction& f = *step.function;
    const char* p = step.at + step.name.size();
    if (*p != '(' || !flow || !variables) {
        v = FastValue::Error(24, p);
        return;
    }
    if (callDepth >= kMaxCallDepth || StackGuard::Frame() < stackFloor) {
        v = FastValue::Error(22, p);
        return;
    }
    const int32_t outerLevel = variables->ScopeLevel();
    // Parameters registered before a failure are dropped again so that the registry stays in stack order.
    auto fail = [&](FastValue error) {
        variables->EnterScope();
        variables->LeaveScope();
        v = std::move(error);
    };
    const char* cursor = p + 1;
    const size_t count = f.parameterTypes.size();
    for (size_t i = 0; i < count; ++i) {
        if (*cursor == ')') {
            fail(FastValue::Error(25, cursor));
            return;
        }
        FastValue arg;
        RunSub(i < step.arguments.size() ? step.arguments[i] : nullptr, cursor, 0, arg);
        if (arg.error) {
            fail(std::move(arg));
            return;
        }
        const char c = *arg.cursor;
        const bool last = i + 1 == count;
        if ((c != ',' && c != ')') || (c == ')' && !last) || (c == ',' && last)) {
            fail(FastValue::Error(25, arg.cursor));
            return;
        }
        const std::string& type = f.parameterTypes[i];
        const std::string& name = f.parameterNames[i];
        const size_t before = variables->VariableCount();
        if (!variables->RegisterVariable(type, name, 0, 0, outerLevel + 1)) {
            fail(FastValue::Error(10, arg.cursor));
            return;
        }
        if (IsNumeric(arg.kind) && !type.empty() && type.back() != '*') {
            // StoreArgument for a number: SetNumber of the value as a double, whose failure is ignored. The
            // parameter just registered is the newest variable of its name, and visible.
            const VariableRecord* record = nullptr;
            if (UseDirect()) {
                record = variables->VariableCount() == before + 1 ? &variables->VariableAt(before)
                                                                  : variables->FindVariable(name, -1);
            }
            if (record && record->kind != KindNone) {
                const int64_t at = CVariableManager::ElementOffset(*record, 0);
                if (IsIntegerKind(arg.kind)) {
                    variables->StoreIntegerAt(*record, at, arg.intValue);
                } else {
                    variables->StoreNumberAt(*record, at, arg.realValue);
                }
            } else {
                variables->SetNumber(name, ScriptArithmetic::ToDouble(NumberOf(arg)));
            }
        } else {
            ScriptValue stored = StoreArgument(type, name, ToScript(arg.Clone()));
            if (stored.error) {
                fail(FromScript(std::move(stored)));
                return;
            }
        }
        cursor = arg.cursor + 1;
    }
    if (count == 0) {
        if (*cursor != ')') {
            fail(FastValue::Error(25, cursor));
            return;
        }
        ++cursor;
    }
    variables->EnterScope();
    variables->PushFrame();
    ExecContext ctx(f.bodyText, f.bodyStart, f.textEnd);
    ScriptValue returned;
    ++callDepth;
    flow->SetEntryHint(&f.bodyFirst);
    flow->RunStatements(ctx, -1, &returned);
    --callDepth;
    variables->PopFrame();
    variables->LeaveScope();
    if (ctx.error) {
        v = FastValue::Error(ctx.error, f.bodyText + ctx.pos);
        return;
    }
    ConvertTo(returned, f.returnKind);
    if (returned.error) {
        v = FastValue::Error(6, cursor);
        return;
    }
    returned.name.clear();
    returned.cursor = cursor;
    v = FromScript(std::move(returned));
}

void CCalcManager::SlowOperator(const CompiledStep& step, FastValue& v) {
    const int32_t id = step.row->id;
    ScriptValue result = RunOperator(*step.row, ToScript(std::move(v)), step.at);
    if (!(id == 42 || id == 24 || result.kind == KindPointer)) {
        result.name.clear();
    }
    v = FromScript(std::move(result));
}

void CCalcManager::RunBinary(const CompiledStep& step, FastValue& v) {
    const int32_t id = step.row->id;
    const int32_t precedence = step.row->precedence;
    if (!IsNumeric(v.kind)) {
        SlowOperator(step, v);
        return;
    }
    FastValue right;
    RunSub(step.operand, step.afterText, precedence, right);
    if (right.error) {
        v = std::move(right);
        return;
    }
    if (!IsNumeric(right.kind)) {
        // Strings and pointers: the operators of the text evaluator on the values as they are.
        ScriptValue left = ToScript(std::move(v));
        ScriptValue r = ToScript(std::move(right));
        ScriptValue result;
        switch (id) {
        case 0:
        case 2:
            result = r.kind == KindPointer
                         ? PointerArithmetic(id == 0, left, r)
                         : ScriptOperators::Arithmetic(
                               id == 0 ? ScriptOperators::Arith::Add : ScriptOperators::Arith::Sub, left, r);
            break;
        case 1:
        case 3:
            result = ScriptOperators::Arithmetic(
                id == 1 ? ScriptOperators::Arith::Mul : ScriptOperators::Arith::Div, left, r);
            break;
        case 4:
            result = ScriptOperators::Remainder(left, r);
            break;
        case 10:
            result = ScriptOperators::LogicalAnd(left, r);
            break;
        case 11:
            result = ScriptOperators::LogicalOr(left, r);
            break;
        case 14:
        case 15:
        case 16:
        case 17:
        case 18: {
            using ScriptOperators::Bitwise;
            const Bitwise op = id == 14   ? Bitwise::And
                               : id == 15 ? Bitwise::Or
                               : id == 16 ? Bitwise::Xor
                               : id == 17 ? Bitwise::Shl
                                          : Bitwise::Shr;
            result = ScriptOperators::Bits(op, left, r);
            break;
        }
        default: {
            using ScriptOperators::Compare;
            const Compare op = id == 5    ? Compare::Eq
                               : id == 12 ? Compare::Ne
                               : id == 6  ? Compare::Gt
                               : id == 7  ? Compare::Lt
                               : id == 8  ? Compare::Ge
                                          : Compare::Le;
            result = ScriptOperators::Comparison(op, left, r);
            break;
        }
        }
        if (result.kind != KindPointer) {
            result.name.clear();
        }
        v = FromScript(std::move(result));
        return;
    }
    const Number a = NumberOf(v);
    const Number b = NumberOf(right);
    Number n;
    if (id <= 3) {
        if (!ScriptArithmetic::Arithmetic(id, a, b, n)) {
            v = FastValue::Error(3, right.cursor);
            return;
        }
    } else if (id == 4) {
        if (!ScriptArithmetic::Remainder(a, b, n)) {
            v = FastValue::Error(3, right.cursor);
            return;
        }
    } else if (id == 10 || id == 11) {
        n = ScriptArithmetic::Logical(id, a, b);
    } else if (id >= 14) {
        n = ScriptArithmetic::Bits(id, a, b);
    } else {
        n = ScriptArithmetic::Integer(KindInt, ScriptArithmetic::Compare(id, a, b));
    }
    v = NumberValue(n, right.cursor);
    return;
}

void CCalcManager::RunUnary(const CompiledStep& step, FastValue& v) {
    const int32_t id = step.row->id;
    const int32_t precedence = step.row->precedence;
    FastValue operand;
    RunSub(step.operand, step.afterText, precedence, operand);
    if (operand.error || !IsNumeric(operand.kind)) {
        if (operand.error) {
            v = std::move(operand);
            return;
        }
        ScriptValue o = ToScript(std::move(operand));
        ScriptValue result = id == 13   ? ScriptOperators::LogicalNot(o)
                             : id == 19 ? ScriptOperators::Complement(o)
                             : id == 20 ? ScriptOperators::Negate(o)
                                        : ScriptOperators::UnaryPlus(o);
        if (result.kind != KindPointer) {
            result.name.clear();
        }
        v = FromScript(std::move(result));
        return;
    }
    if (id == 21) {
        operand.ClearName();
        v = std::move(operand);
        return;
    }
    v = NumberValue(ScriptArithmetic::Unary(id, NumberOf(operand)), operand.cursor);
    return;
}

void CCalcManager::RunAssign(const CompiledStep& step, FastValue& v) {
    const int32_t precedence = step.row->precedence;
    FastValue right;
    RunSub(step.operand, step.afterText, precedence, right);
    if (right.error) {
        v = std::move(right);
        return;
    }
    VariableRecord* record = nullptr;
    int64_t offset = 0;
    if (v.nameStep && ResolveDirect(*v.nameStep, v.nameIndex, record, offset) &&
        record->kind != KindPointer) {
        int32_t error = 0;
        if (v.kind == KindString) {
            ScriptValue text = ToScript(right.Clone());
            ConvertTo(text, KindString);
            if (text.error) {
                error = text.error;
            } else if (!variables->StoreStringAt(*record, offset, text.text)) {
                error = 5;
            }
        } else if (!IsNumeric(right.kind)) {
            error = 6;
        } else if (!(IsIntegerKind(right.kind)
                         ? variables->StoreIntegerAt(*record, offset, right.intValue)
                         : variables->StoreNumberAt(*record, offset, right.realValue))) {
            error = 5;
        }
        if (error) {
            v = FastValue::Error(error, right.cursor);
            return;
        }
        if (right.kind != KindPointer) {
            right.ClearName();
        }
        v = std::move(right);
        return;
    }
    ScriptValue result = AssignRight(ToScript(std::move(v)), ToScript(std::move(right)));
    if (result.kind != KindPointer) {
        result.name.clear();
    }
    v = FromScript(std::move(result));
    return;
}

void CCalcManager::RunCompound(const CompiledStep& step, FastValue& v) {
    const int32_t id = step.row->id;
    const int32_t precedence = step.row->precedence;
    FastValue right;
    RunSub(step.operand, step.afterText, precedence, right);
    if (right.error) {
        v = std::move(right);
        return;
    }
    VariableRecord* record = nullptr;
    int64_t offset = 0;
    if (IsNumeric(v.kind) && IsNumeric(right.kind) && v.nameStep &&
        ResolveDirect(*v.nameStep, v.nameIndex, record, offset) && record->kind != KindPointer) {
        const int32_t op = id == 38 ? 1 : id == 39 ? 3 : id == 40 ? 0 : 2;
        Number n;
        if (!ScriptArithmetic::Arithmetic(op, NumberOf(v), NumberOf(right), n)) {
            v = FastValue::Error(3, right.cursor);
            return;
        }
        if (!(IsIntegerKind(n.kind) ? variables->StoreIntegerAt(*record, offset, n.i)
                                    : variables->StoreNumberAt(*record, offset, n.r))) {
            v = FastValue::Error(5, right.cursor);
            return;
        }
        v = NumberValue(n, right.cursor);
        return;
    }
    ScriptValue result = CompoundRight(id, ToScript(std::move(v)), ToScript(std::move(right)));
    if (result.kind != KindPointer) {
        result.name.clear();
    }
    v = FromScript(std::move(result));
    return;
}

void CCalcManager::RunIncDec(const CompiledStep& step, FastValue& v) {
    const int32_t id = step.row->id;
    const int32_t precedence = step.row->precedence;
    const bool postfix = v.kind != KindVoid;
    FastValue operand;
    if (postfix) {
        operand = v.Clone();
    } else {
        RunSub(step.operand, step.afterText, precedence, operand);
        if (operand.error) {
            v = std::move(operand);
            return;
        }
    }
    VariableRecord* record = nullptr;
    int64_t offset = 0;
    if (IsNumeric(operand.kind) && operand.nameStep &&
        ResolveDirect(*operand.nameStep, operand.nameIndex, record, offset) && record->kind != KindPointer) {
        Number n;
        ScriptArithmetic::Arithmetic(id == 36 ? 0 : 2, NumberOf(operand),
                                     ScriptArithmetic::Integer(KindChar, 1), n);
        if (!(IsIntegerKind(n.kind) ? variables->StoreIntegerAt(*record, offset, n.i)
                                    : variables->StoreNumberAt(*record, offset, n.r))) {
            v = FastValue::Error(5, operand.cursor);
            return;
        }
        if (postfix) {
            // The old value, as it was read; the name goes as after every operator.
            operand.cursor = v.cursor;
            operand.ClearName();
            v = std::move(operand);
        } else {
            v = NumberValue(n, operand.cursor);
        }
        return;
    }
    ScriptValue current = ToScript(std::move(v));
    ScriptValue result =
        IncrementDecrementOperand(id, current, postfix ? current : ToScript(std::move(operand)));
    if (result.kind != KindPointer) {
        result.name.clear();
    }
    v = FromScript(std::move(result));
    return;
}

void CCalcManager::RunParen(const CompiledStep& step, FastValue& v) {
    FastValue inner;
    RunSub(step.operand, step.afterText, 0, inner);
    if (inner.error) {
        v = std::move(inner);
        return;
    }
    if (*inner.cursor != ')') {
        v = FastValue::Error(4, inner.cursor);
        return;
    }
    ++inner.cursor;
    v = std::move(inner);
    return;
}

void CCalcManager::RunOperatorStep(const CompiledStep& step, FastValue& v) {
    v.cursor = step.afterText;
    v.level = step.row->precedence;
    switch (step.operatorClass) {
    case CompiledStep::kBinary:
        RunBinary(step, v);
        return;
    case CompiledStep::kUnary:
        RunUnary(step, v);
        return;
    case CompiledStep::kAssign:
        RunAssign(step, v);
        return;
    case CompiledStep::kCompound:
        RunCompound(step, v);
        return;
    case CompiledStep::kIncDec:
        RunIncDec(step, v);
        return;
    case CompiledStep::kParen:
        RunParen(step, v);
        return;
    default:
        SlowOperator(step, v);
        return;
    }
}

void CCalcManager::RunSeq(const CompiledSequence& s, FastValue& v) {
    if (s.functionsVersion != functionsVersion) {
        // A function was registered since the analysis: a name may mean something else now.
        if (const CompiledSequence* fresh = CompiledFor(s.start, s.bound, 0)) {
            RunSeq(*fresh, v);
            return;
        }
    }
    StartValue(v, s.start, s.bound);
    if (depth == 0) {
        exprStart = v.cursor;
        stackFloor = StackGuard::Floor();
    }
    if (depth >= kMaxDepth || StackGuard::Frame() < stackFloor) {
        v.error = 11;
        return;
    }
    ++depth;
    bool text = false;
    for (const CompiledStep& step : s.steps) {
        if (v.cursor != step.at ||
            (step.kind != CompiledStep::kValue && step.kind != CompiledStep::kOperator &&
             s.functionsVersion != functionsVersion)) {
            text = true;
            break;
        }
        switch (step.kind) {
        case CompiledStep::kValue:
            // The literal replaces the current value.
            v.error = 0;
            v.level = 0;
            v.kind = step.value.kind;
            v.intValue = step.value.intValue;
            v.realValue = step.value.realValue;
            v.cursor = step.value.cursor;
            v.nameStep = nullptr;
            v.nameIndex = 0;
            if (step.value.text.empty()) {
                v.extra.reset();
            } else {
                ExtraOf(v).text = step.value.text;
                v.extra->name.clear();
            }
            break;
        case CompiledStep::kVariable:
            ReadSimple(step, v);
            break;
        case CompiledStep::kPath:
            v = FromScript(ReadVariablePath(step.at));
            break;
        case CompiledStep::kFunction:
            CallCompiled(step, v);
            break;
        case CompiledStep::kOperator:
            RunOperatorStep(step, v);
            break;
        case CompiledStep::kExtension:
            v.cursor = step.afterText;
            v.level = step.row->precedence;
            SlowOperator(step, v);
            break;
        }
        if (v.error) {
            --depth;
            return;
        }
    }
    if (text || s.end == CompiledSequence::kText || s.end == CompiledSequence::kOperatorAtEnd ||
        v.cursor != s.endAt) {
        ScriptValue sv = ToScript(std::move(v));
        TextLoop(sv, s.bound);
        v = FromScript(std::move(sv));
    } else if (s.end == CompiledSequence::kSemicolon) {
        v.cursor = s.endAt + 1;
    } else if (s.end == CompiledSequence::kPutBack) {
        v.level = s.endLevel;
    }
    --depth;
}

ScriptValue CCalcManager::EvaluateKept(const char* kept, const CompiledSequence*& program) {
    if (compiledPaths && (!program || program->functionsVersion != functionsVersion)) {
        program = expressions.Holds(kept) ? CompiledFor(kept, 0, 0) : nullptr;
    }
    if (!compiledPaths || !program) {
        return Evaluate(ScriptValue(kept, 0));
    }
    FastValue v;
    RunSeq(*program, v);
    return ToScript(std::move(v));
}

ScriptValue CCalcManager::EvaluateKeptUnnamed(const char* kept, const CompiledSequence*& program) {
    if (compiledPaths && program && program->functionsVersion == functionsVersion) {
        FastValue v;
        if (RunNumeric(*program, v)) {
            ScriptValue s(v.cursor, v.level);
            s.kind = v.kind;
            s.intValue = v.intValue;
            s.realValue = v.realValue;
            return s;
        }
        RunSeq(*program, v);
        v.ClearName();
        return ToScript(std::move(v));
    }
    ScriptValue s = EvaluateKept(kept, program);
    s.name.clear();
    return s;
}

FastValue CCalcManager::EvaluateKeptSlow(const char* kept, const CompiledSequence*& program) {
    if (compiledPaths && (!program || program->functionsVersion != functionsVersion)) {
        program = expressions.Holds(kept) ? CompiledFor(kept, 0, 0) : nullptr;
    }
    if (!compiledPaths || !program) {
        return FromScript(Evaluate(ScriptValue(kept, 0)));
    }
    FastValue v;
    RunSeq(*program, v);
    return v;
}
