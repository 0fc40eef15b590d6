// The evaluator's handlers that reach beyond the value operators: assignments, pointers, built-in functions
// and calls of script functions.
#include "engine/CCalcManager.h"

#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"
#include "engine/ExecContext.h"
#include "engine/ScriptOperators.h"
#include "engine/StackGuard.h"
#include "platform/CodePage932.h"

#include <cstdio>
#include <cstring>

using namespace ScriptOperators;

namespace {

bool EndsWithStar(const std::string& s) {
    return !s.empty() && s.back() == '*';
}

ScriptValue WithCursor(ScriptValue v, const char* cursor) {
    v.cursor = cursor;
    return v;
}

// Multibyte case mapping of code page 932: single-byte letters change, a double-byte character is one unit
// and stays as it is (its trail byte may look like a letter).
std::string MapCase(const std::string& s, bool upper) {
    std::string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (CodePage932::IsLeadByte(c) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        if (upper && c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

} // namespace

// ---- assignments ----

int32_t CCalcManager::StoreIntoPointerVariable(const ScriptValue& left, const ScriptValue& right) {
    int64_t stored = 0;
    if (right.kind == KindString) {
        stored = variables->SetStringThroughPointer(left.name, right.text);
    } else if (right.kind == KindPointer) {
        if (left.kind != KindPointer) {
            return 2;
        }
        if (left.text != right.text) {
            return 6;
        }
        stored = variables->SetNumber(left.name, static_cast<double>(right.intValue));
    } else {
        ScriptValue d = right;
        ConvertTo(d, KindDouble);
        if (d.error) {
            return 6;
        }
        stored = variables->SetNumberThroughPointer(left.name, d.realValue);
    }
    return stored ? 0 : 5;
}

ScriptValue CCalcManager::Assign(const ScriptValue& left) {
    ScriptValue right = RightOperand(left);
    if (right.error) {
        return right;
    }
    return AssignRight(left, right);
}

ScriptValue CCalcManager::AssignRight(const ScriptValue& left, const ScriptValue& right) {
    std::string type = left.name.empty() ? std::string() : variables->GetVariableType(left.name);
    if (type.empty()) {
        return ScriptValue::Error(5, right.cursor);
    }
    int32_t error = 0;
    if (EndsWithStar(type)) {
        error = StoreIntoPointerVariable(left, right);
    } else if (left.kind == KindString) {
        ScriptValue s = right;
        ConvertTo(s, KindString);
        if (s.error) {
            error = s.error;
        } else if (!variables->SetString(left.name, s.text)) {
            error = 5;
        }
    } else {
        ScriptValue d = right;
        ConvertTo(d, KindDouble);
        if (d.error) {
            error = 6;
        } else if (!variables->SetNumber(left.name, d.realValue)) {
            error = 5;
        }
    }
    return error ? ScriptValue::Error(error, right.cursor) : right;
}

ScriptValue CCalcManager::CompoundAssign(int32_t id, const ScriptValue& left) {
    ScriptValue right = RightOperand(left);
    if (right.error) {
        return right;
    }
    return CompoundRight(id, left, right);
}

ScriptValue CCalcManager::CompoundRight(int32_t id, const ScriptValue& left, const ScriptValue& right) {
    ScriptValue result;
    if (left.kind == KindPointer) {
        if (id == 38 || id == 39) {
            return ScriptValue::Error(2, right.cursor);
        }
        result = PointerArithmetic(id == 40, left, right);
    } else {
        Arith op = id == 38 ? Arith::Mul : id == 39 ? Arith::Div : id == 40 ? Arith::Add : Arith::Sub;
        result = Arithmetic(op, left, right);
    }
    if (result.error) {
        return result;
    }
    std::string type = left.name.empty() ? std::string() : variables->GetVariableType(left.name);
    if (type.empty()) {
        return ScriptValue::Error(5, right.cursor);
    }
    int32_t error = 0;
    if (EndsWithStar(type)) {
        error = StoreIntoPointerVariable(left, result);
    } else if (result.kind == KindString) {
        error = variables->SetString(left.name, result.text) ? 0 : 5;
    } else if (result.kind == KindPointer) {
        error = variables->SetNumber(left.name, static_cast<double>(result.intValue)) ? 0 : 5;
    } else {
        ScriptValue d = result;
        ConvertTo(d, KindDouble);
        if (d.error) {
            error = 6;
        } else {
            error = variables->SetNumber(left.name, d.realValue) ? 0 : 5;
        }
    }
    return error ? ScriptValue::Error(error, right.cursor) : WithCursor(result, right.cursor);
}

ScriptValue CCalcManager::IncrementDecrement(int32_t id, const ScriptValue& current) {
    const bool postfix = current.kind != KindVoid;
    ScriptValue operand = current;
    if (!postfix) {
        operand = RightOperand(current);
        if (operand.error) {
            return operand;
        }
    }
    return IncrementDecrementOperand(id, current, operand);
}

ScriptValue CCalcManager::IncrementDecrementOperand(int32_t id, const ScriptValue& current,
                                                    const ScriptValue& operand) {
    const bool increment = id == 36;
    const bool postfix = current.kind != KindVoid;
    ScriptValue one = ScriptValue::Integer(KindChar, 1);
    one.cursor = operand.cursor;
    ScriptValue updated;
    if (operand.kind == KindPointer) {
        if (!postfix) {
            return ScriptValue::Error(6, operand.cursor);
        }
        updated = PointerArithmetic(increment, operand, one);
    } else {
        updated = Arithmetic(increment ? Arith::Add : Arith::Sub, operand, one);
    }
    if (updated.error) {
        return updated;
    }
    if (operand.name.empty() || variables->GetVariableType(operand.name).empty()) {
        return ScriptValue::Error(5, operand.cursor);
    }
    int64_t stored = 0;
    if (updated.kind == KindString) {
        stored = variables->SetString(operand.name, updated.text);
    } else if (updated.kind == KindPointer) {
        stored = variables->SetNumber(operand.name, static_cast<double>(updated.intValue));
    } else {
        ScriptValue d = updated;
        ConvertTo(d, KindDouble);
        if (d.error) {
            return ScriptValue::Error(6, operand.cursor);
        }
        stored = variables->SetNumber(operand.name, d.realValue);
    }
    if (!stored) {
        return ScriptValue::Error(5, operand.cursor);
    }
    if (postfix) {
        return WithCursor(operand, current.cursor);
    }
    return WithCursor(updated, operand.cursor);
}

// ---- pointers ----

ScriptValue CCalcManager::PointerArithmetic(bool add, const ScriptValue& left, const ScriptValue& right) {
    if (left.kind == KindPointer && right.kind == KindPointer) {
        return ScriptValue::Error(2, right.cursor);
    }
    if (!add && right.kind == KindPointer) {
        return ScriptValue::Error(2, right.cursor);
    }
    const ScriptValue& pointer = left.kind == KindPointer ? left : right;
    ScriptValue n = left.kind == KindPointer ? right : left;
    if (!IsIntegerKind(n.kind)) {
        return ScriptValue::Error(2, right.cursor);
    }
    ConvertTo(n, KindInt);
    int64_t size = variables->TypeSize(pointer.text);
    if (size < 1) {
        return ScriptValue::Error(2, right.cursor);
    }
    uint64_t distance = static_cast<uint64_t>(n.intValue) * static_cast<uint64_t>(size);
    ScriptValue result = pointer;
    uint64_t offset = static_cast<uint64_t>(pointer.intValue);
    result.intValue = static_cast<int64_t>(add ? offset + distance : offset - distance);
    result.cursor = right.cursor;
    result.error = 0;
    return result;
}

ScriptValue CCalcManager::Dereference(const ScriptValue& left, const char* opPos) {
    ScriptValue operand = RightOperand(left);
    if (operand.error) {
        return operand;
    }
    if (operand.kind != KindPointer) {
        return ScriptValue::Error(2, operand.cursor);
    }
    int32_t kind = KindOfTypeName(operand.text);
    if (kind == KindNone) {
        return ScriptValue::Error(2, operand.cursor);
    }
    ScriptValue v(operand.cursor);
    v.name = operand.name;
    int64_t size = variables->BaseTypeSize(operand.text);
    int64_t offset = operand.intValue;
    int64_t used = variables->MemoryUsed();
    const uint8_t* base = variables->MemoryBase();
    bool readable = offset >= 0 && size > 0 && base && offset <= used - size && kind != KindVoid;
    if (readable) {
        v.kind = kind;
        if (kind == KindString) {
            uint32_t id = 0;
            std::memcpy(&id, base + offset, 4);
            readable = variables->GetString(id, v.text);
        } else if (kind == KindFloat) {
            float f;
            std::memcpy(&f, base + offset, 4);
            v.realValue = f;
        } else if (kind == KindDouble) {
            std::memcpy(&v.realValue, base + offset, 8);
        } else if (kind == KindPointer) {
            std::memcpy(&v.intValue, base + offset, 8);
            v.text = operand.text.substr(0, operand.text.size() - 1);
        } else {
            uint64_t bits = 0;
            std::memcpy(&bits, base + offset, static_cast<size_t>(IntegerWidth(kind)));
            v.intValue = NormalizeInteger(kind, static_cast<int64_t>(bits));
        }
    }
    if (!readable) {
        // "*p = v" at the very start of the outermost expression may store through a pointer whose target
        // cannot be read.
        if (opPos != exprStart) {
            return ScriptValue::Error(20, operand.cursor);
        }
        v.kind = KindVoid;
        v.intValue = 0;
        v.realValue = 0;
        v.text.clear();
    }
    return v;
}

ScriptValue CCalcManager::AddressOfOperand(const ScriptValue& left) {
    ScriptValue operand = RightOperand(left);
    if (operand.error) {
        return operand;
    }
    int64_t offset = operand.name.empty() ? -1 : variables->AddressOf(operand.name);
    if (offset < 0) {
        return ScriptValue::Error(2, operand.cursor);
    }
    ScriptValue v = ScriptValue::Pointer(offset, variables->GetVariableType(operand.name));
    v.cursor = operand.cursor;
    return v;
}

// ---- built-in functions ----

ScriptValue CCalcManager::OneArgumentFunction(int32_t id, const ScriptValue& left) {
    ScriptValue arg = Evaluate(ScriptValue(left.cursor, 0));
    if (arg.error) {
        return arg;
    }
    if (*arg.cursor != ')') {
        return ScriptValue::Error(2, arg.cursor);
    }
    const char* after = arg.cursor + 1;
    char buffer[64];
    switch (id) {
    case 29: { // abs
        ConvertTo(arg, KindInt);
        if (arg.error) {
            return ScriptValue::Error(6, after);
        }
        int64_t v = arg.intValue < 0 ? -arg.intValue : arg.intValue;
        return WithCursor(ScriptValue::Integer(KindInt, v), after);
    }
    case 30: // strlen
        if (arg.kind != KindString) {
            return ScriptValue::Error(8, after);
        }
        return WithCursor(ScriptValue::Integer(KindInt, static_cast<int64_t>(arg.text.size())), after);
    case 31:
    case 32: {
        ScriptValue r = CaseConvert(id == 31, arg);
        r.cursor = after;
        return r;
    }
    case 33: // tostr
        if (IsSignedIntegerKind(arg.kind)) {
            std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(arg.intValue));
        } else if (IsIntegerKind(arg.kind)) {
            std::snprintf(buffer, sizeof buffer, "%lu", static_cast<unsigned long>(arg.intValue));
        } else if (IsRealKind(arg.kind)) {
            std::string text(512, '\0');
            int n = std::snprintf(&text[0], text.size(), "%lf", arg.realValue);
            text.resize(n > 0 ? static_cast<size_t>(n) : 0);
            return WithCursor(ScriptValue::String(text), after);
        } else {
            return ScriptValue::Error(8, after);
        }
        return WithCursor(ScriptValue::String(buffer), after);
    case 34: { // tohex
        uint64_t bits = static_cast<uint64_t>(arg.intValue);
        switch (arg.kind) {
        case KindChar:
        case KindUChar:
            std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned>(bits & 0xFF));
            break;
        case KindShort:
        case KindUShort:
            std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(bits & 0xFFFF));
            break;
        case KindInt:
        case KindUInt:
            std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(bits & 0xFFFFFFFFu));
            break;
        case KindFloat: {
            float f = static_cast<float>(arg.realValue);
            uint32_t u;
            std::memcpy(&u, &f, 4);
            std::snprintf(buffer, sizeof buffer, "%08X", u);
            break;
        }
        case KindDouble: {
            uint64_t u;
            std::memcpy(&u, &arg.realValue, 8);
            std::snprintf(buffer, sizeof buffer, "%08X%08X", static_cast<unsigned>(u >> 32),
                          static_cast<unsigned>(u & 0xFFFFFFFFu));
            break;
        }
        case KindString: {
            if (arg.text.size() * 2 > kMaxStringLength) {
                return ScriptValue::Error(32, after);
            }
            std::string hex;
            hex.reserve(arg.text.size() * 2);
            for (unsigned char c : arg.text) {
                std::snprintf(buffer, sizeof buffer, "%02X", c);
                hex += buffer;
            }
            return WithCursor(ScriptValue::String(hex), after);
        }
        default:
            return ScriptValue::Error(8, after);
        }
        return WithCursor(ScriptValue::String(buffer), after);
    }
    default:
        ShowMessage("Missing Function In OneParamsFunction");
        return ScriptValue(after);
    }
}

ScriptValue CCalcManager::CaseConvert(bool upper, const ScriptValue& arg) {
    if (arg.kind != KindPointer || arg.text != "string") {
        return ScriptValue::Error(8, arg.cursor);
    }
    int64_t offset = arg.intValue;
    const uint8_t* base = variables->MemoryBase();
    if (!base || offset < 0 || offset > variables->MemoryUsed() - 8) {
        return ScriptValue::Error(20, arg.cursor);
    }
    int64_t id = 0;
    std::memcpy(&id, base + offset, 8);
    std::string text;
    if (!variables->GetString(id, text)) {
        return ScriptValue::Error(20, arg.cursor);
    }
    variables->SetStringById(id, MapCase(text, upper));
    return ScriptValue(arg.cursor);
}

ScriptValue CCalcManager::MinMax(bool isMax, const ScriptValue& left) {
    ScriptValue a = Evaluate(ScriptValue(left.cursor, 0));
    if (a.error) {
        return a;
    }
    if (*a.cursor != ',') {
        return ScriptValue::Error(2, a.cursor);
    }
    ScriptValue b = Evaluate(ScriptValue(a.cursor + 1, 0));
    if (b.error) {
        return b;
    }
    if (*b.cursor != ')') {
        return ScriptValue::Error(2, b.cursor);
    }
    const char* after = b.cursor + 1;
    int32_t common = CommonKind(a.kind, b.kind);
    if (common == KindNone) {
        return ScriptValue::Error(6, after);
    }
    if (common == KindString) {
        return ScriptValue::Error(2, after);
    }
    ConvertTo(a, common);
    ConvertTo(b, common);
    bool aLarger = IsRealKind(common) ? a.realValue > b.realValue : a.intValue > b.intValue;
    ScriptValue r = (aLarger == isMax) ? a : b;
    r.name.clear();
    r.error = 0;
    r.cursor = after;
    return r;
}

ScriptValue CCalcManager::SizeOf(const ScriptValue& left) {
    const char* close = std::strchr(left.cursor, ')');
    if (!close) {
        return ScriptValue::Error(4, left.cursor);
    }
    std::string text(left.cursor, static_cast<size_t>(close - left.cursor));
    std::string type = variables->GetVariableType(text);
    if (type.empty()) {
        type = text;
        if (type.compare(0, 8, "unsigned") == 0 && type.size() > 8 && type.substr(8) != "*") {
            type.insert(8, " ");
        }
    }
    int64_t size = variables->TypeSize(type);
    if (size < 0) {
        return ScriptValue::Error(5, close + 1);
    }
    return WithCursor(ScriptValue::Integer(KindUInt, size), close + 1);
}

// ---- script functions ----

ScriptValue CCalcManager::StoreArgument(const std::string& type, const std::string& name,
                                        const ScriptValue& arg) {
    if (EndsWithStar(type)) {
        if (arg.kind != KindPointer) {
            return ScriptValue::Error(8, arg.cursor);
        }
        if (arg.text + "*" != type) {
            return ScriptValue::Error(6, arg.cursor);
        }
        variables->SetNumber(name, static_cast<double>(arg.intValue));
    } else if (arg.kind == KindString) {
        variables->SetString(name, arg.text);
    } else {
        ScriptValue d = arg;
        ConvertTo(d, KindDouble);
        if (d.error) {
            return ScriptValue::Error(6, arg.cursor);
        }
        variables->SetNumber(name, d.realValue);
    }
    return ScriptValue(arg.cursor);
}

ScriptValue CCalcManager::CallFunction(const UserFunction& f, const char* p) {
    if (*p != '(') {
        return ScriptValue::Error(24, p);
    }
    if (!flow || !variables) {
        return ScriptValue::Error(24, p);
    }
    if (callDepth >= kMaxCallDepth || StackGuard::NearLimit()) {
        return ScriptValue::Error(22, p);
    }
    const int32_t outerLevel = variables->ScopeLevel();
    // Parameters registered before a failure are dropped again so that the registry stays in stack order.
    auto fail = [&](const ScriptValue& error) {
        variables->EnterScope();
        variables->LeaveScope();
        return error;
    };
    const char* cursor = p + 1;
    const size_t count = f.parameterTypes.size();
    for (size_t i = 0; i < count; ++i) {
        if (*cursor == ')') {
            return fail(ScriptValue::Error(25, cursor));
        }
        ScriptValue arg = Evaluate(ScriptValue(cursor, 0));
        if (arg.error) {
            return fail(arg);
        }
        char c = *arg.cursor;
        bool last = i + 1 == count;
        if ((c != ',' && c != ')') || (c == ')' && !last) || (c == ',' && last)) {
            return fail(ScriptValue::Error(25, arg.cursor));
        }
        if (!variables->RegisterVariable(f.parameterTypes[i], f.parameterNames[i], 0, 0, outerLevel + 1)) {
            return fail(ScriptValue::Error(10, arg.cursor));
        }
        ScriptValue stored = StoreArgument(f.parameterTypes[i], f.parameterNames[i], arg);
        if (stored.error) {
            return fail(stored);
        }
        cursor = arg.cursor + 1;
    }
    if (count == 0) {
        if (*cursor != ')') {
            return fail(ScriptValue::Error(25, cursor));
        }
        ++cursor;
    }
    variables->EnterScope();
    variables->PushFrame();
    ExecContext ctx(f.bodyText, f.bodyStart, f.textEnd);
    ScriptValue returned;
    ++callDepth;
    flow->RunStatements(ctx, -1, &returned);
    --callDepth;
    variables->PopFrame();
    variables->LeaveScope();
    if (ctx.error) {
        return ScriptValue::Error(ctx.error, f.bodyText + ctx.pos);
    }
    ConvertTo(returned, KindOfTypeName(f.returnType));
    if (returned.error) {
        return ScriptValue::Error(6, cursor);
    }
    returned.name.clear();
    returned.cursor = cursor;
    return returned;
}
