#include "engine/CCalcManager.h"

#include "engine/CVariableManager.h"
#include "engine/FastPaths.h"
#include "engine/ScriptNames.h"
#include "engine/ScriptOperators.h"
#include "engine/StackGuard.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace ScriptOperators;

namespace {

// Rows are tried in this order; the first whose text starts the input wins, so longer operators come first.
const OperatorRow kTable[] = {
    {"strlen(", 30, 100}, {"sizeof(", 35, 100}, {"strupr(", 31, 100}, {"strlwr(", 32, 100},
    {"tostr(", 33, 100},  {"tohex(", 34, 100},  {"max(", 27, 100},    {"min(", 28, 100},
    {"abs(", 29, 100},    {"==", 5, 50},        {"++", 36, 97},       {"--", 37, 97},
    {"&&", 10, 30},       {"||", 11, 30},       {">=", 8, 50},        {"<=", 9, 50},
    {"!=", 12, 50},       {"<<", 17, 60},       {">>", 18, 60},       {"*=", 38, 5},
    {"/=", 39, 5},        {"+=", 40, 5},        {"-=", 41, 5},        {"~", 19, 90},
    {"%", 4, 80},         {">", 6, 50},         {"<", 7, 50},         {"!", 13, 90},
    {"|", 15, 40},        {"^", 16, 40},        {"&", 14, 40},        {"&", 43, 96},
    {"+", 0, 40},         {"+", 21, 95},        {"-", 2, 40},         {"-", 20, 95},
    {"*", 1, 50},         {"*", 42, 96},        {"/", 3, 50},         {"(", 24, 1000},
    {")", 23, 1000},      {",", 25, 1000},      {"=", 22, 5},         {"]", 26, 1000},
};
constexpr size_t kTableSize = sizeof kTable / sizeof kTable[0];

// Rows whose text has a unary twin in the next row.
bool HasUnaryTwin(size_t row) {
    return row == 30 || row == 32 || row == 34 || row == 36;
}

using ScriptNames::IsAsciiLetter;
using ScriptNames::IsDigit;

std::string ReadName(const char* p, bool dbcs) {
    return ScriptNames::Read(p, dbcs);
}

} // namespace

CCalcManager::CCalcManager() : compiledPaths(FastPaths::Enabled()) {}

void CCalcManager::SetVariableManager(CVariableManager* v) {
    // Compiled forms remember what the registry answered.
    if (v != variables) {
        expressions.Clear();
    }
    variables = v;
    direct = v && v->DirectAccess();
}

CCalcManager::~CCalcManager() = default;

const OperatorRow* CCalcManager::BaseTable(size_t& count) {
    count = kTableSize;
    return kTable;
}

void CCalcManager::ShowMessage(const std::string& text) {
    if (messageHandler) {
        messageHandler(text);
    }
}

ScriptValue CCalcManager::CallExtension(int32_t, const ScriptValue& input) {
    return ScriptValue::Error(1, input.cursor);
}

const OperatorRow* CCalcManager::FindOperator(const char* position) {
    static const std::vector<size_t> lengths = [] {
        std::vector<size_t> l;
        for (const OperatorRow& row : kTable) {
            l.push_back(std::strlen(row.text));
        }
        return l;
    }();
    const char first = position[0];
    for (size_t i = 0; i < kTableSize; ++i) {
        if (kTable[i].text[0] != first || std::strncmp(position, kTable[i].text, lengths[i]) != 0) {
            continue;
        }
        if (!HasUnaryTwin(i)) {
            return &kTable[i];
        }
        bool binary = false;
        if (position != exprStart) {
            char prev = position[-1];
            binary = IsAsciiLetter(prev) || IsDigit(prev) || prev == ')' || prev == ']' || prev == '.' ||
                     prev == '"' || (prev == '\'' && (kTable[i].id == 0 || kTable[i].id == 2));
        }
        return binary ? &kTable[i] : &kTable[i + 1];
    }
    return nullptr;
}

bool CCalcManager::IsOperatorFunction(const std::string& word) {
    std::string probe(1, '\0');
    probe += word;
    probe += '(';
    return !word.empty() && FindOperator(probe.c_str() + 1) != nullptr;
}

ScriptValue CCalcManager::Evaluate(const ScriptValue& input) {
    if (compiledPaths && expressions.Holds(input.cursor)) {
        if (const CompiledSequence* s = CompiledFor(input.cursor, input.level, 0)) {
            return RunSequence(*s);
        }
    }
    ScriptValue v(input.cursor, input.level);
    if (depth == 0) {
        exprStart = v.cursor;
    }
    if (depth >= kMaxDepth || StackGuard::NearLimit()) {
        v.error = 11;
        return v;
    }
    ++depth;
    TextLoop(v, input.level);
    --depth;
    return v;
}

void CCalcManager::TextLoop(ScriptValue& v, int32_t bound) {
    while (v.error == 0) {
        const char* p = v.cursor;
        char c = *p;
        if (c == '\0') {
            break;
        }
        if (c == ';') {
            v.cursor = p + 1;
            break;
        }
        if (IsDigit(c)) {
            v = ReadNumber(p);
            continue;
        }
        if (c == '"') {
            v = ReadStringLiteral(p);
            continue;
        }
        if (c == '\'') {
            v = ReadCharConstant(p);
            continue;
        }
        const OperatorRow* row = FindOperator(p);
        if (!row) {
            v = ReadNameValue(p);
            continue;
        }
        if (row->precedence <= bound) {
            break;
        }
        const int32_t id = row->id;
        const char* after = p + std::strlen(row->text);
        v.cursor = after;
        v.level = row->precedence;
        if (*after == '\0' && id != 23 && id != 26 && id != 36 && id != 37) {
            v.error = 2;
            break;
        }
        if (id == 23 || id == 25 || id == 26) {
            // ")", "," and "]" are put back for the caller, which checks for them.
            v.cursor = p;
            break;
        }
        ScriptValue result = RunOperator(*row, v, p);
        if (!(id == 42 || id == 24 || result.kind == KindPointer)) {
            result.name.clear();
        }
        v = std::move(result);
    }
}

ScriptValue CCalcManager::RightOperand(const ScriptValue& left) {
    return Evaluate(ScriptValue(left.cursor, left.level));
}

ScriptValue CCalcManager::RunOperator(const OperatorRow& row, const ScriptValue& left, const char* opPos) {
    const int32_t id = row.id;
    switch (id) {
    case 0:
    case 2:
    case 1:
    case 3: {
        ScriptValue right = RightOperand(left);
        if (right.error) {
            return right;
        }
        if ((id == 0 || id == 2) && (left.kind == KindPointer || right.kind == KindPointer)) {
            return PointerArithmetic(id == 0, left, right);
        }
        Arith op = id == 0 ? Arith::Add : id == 2 ? Arith::Sub : id == 1 ? Arith::Mul : Arith::Div;
        return Arithmetic(op, left, right);
    }
    case 4: {
        ScriptValue right = RightOperand(left);
        return right.error ? right : Remainder(left, right);
    }
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 12: {
        ScriptValue right = RightOperand(left);
        if (right.error) {
            return right;
        }
        Compare op = id == 5    ? Compare::Eq
                     : id == 12 ? Compare::Ne
                     : id == 6  ? Compare::Gt
                     : id == 7  ? Compare::Lt
                     : id == 8  ? Compare::Ge
                                : Compare::Le;
        return Comparison(op, left, right);
    }
    case 10:
    case 11: {
        ScriptValue right = RightOperand(left);
        if (right.error) {
            return right;
        }
        return id == 10 ? LogicalAnd(left, right) : LogicalOr(left, right);
    }
    case 14:
    case 15:
    case 16:
    case 17:
    case 18: {
        ScriptValue right = RightOperand(left);
        if (right.error) {
            return right;
        }
        Bitwise op = id == 14   ? Bitwise::And
                     : id == 15 ? Bitwise::Or
                     : id == 16 ? Bitwise::Xor
                     : id == 17 ? Bitwise::Shl
                                : Bitwise::Shr;
        return Bits(op, left, right);
    }
    case 13:
    case 19:
    case 20:
    case 21: {
        ScriptValue operand = RightOperand(left);
        if (operand.error) {
            return operand;
        }
        return id == 13   ? LogicalNot(operand)
               : id == 19 ? Complement(operand)
               : id == 20 ? Negate(operand)
                          : UnaryPlus(operand);
    }
    case 22:
        return Assign(left);
    case 38:
    case 39:
    case 40:
    case 41:
        return CompoundAssign(id, left);
    case 36:
    case 37:
        return IncrementDecrement(id, left);
    case 24: {
        ScriptValue inner = Evaluate(ScriptValue(left.cursor, 0));
        if (inner.error) {
            return inner;
        }
        if (*inner.cursor != ')') {
            return ScriptValue::Error(4, inner.cursor);
        }
        ++inner.cursor;
        return inner;
    }
    case 42:
        return Dereference(left, opPos);
    case 43:
        return AddressOfOperand(left);
    case 27:
    case 28:
        return MinMax(id == 27, left);
    case 35:
        return SizeOf(left);
    case 29:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34:
        return OneArgumentFunction(id, left);
    default:
        if (id > 43) {
            return CallExtension(id, left);
        }
        ShowMessage("Missing Function In TwoParamsOperator");
        return ScriptValue(left.cursor);
    }
}

// ---- literals and names ----

ScriptValue CCalcManager::ReadNumber(const char* p) {
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        const char* q = p + 2;
        uint32_t value = 0;
        while (true) {
            char c = *q;
            int digit = IsDigit(c)               ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
            if (digit < 0) {
                break;
            }
            value = value * 16 + static_cast<uint32_t>(digit);
            ++q;
        }
        ScriptValue v = ScriptValue::Integer(KindUInt, value);
        v.cursor = q;
        return v;
    }
    if (p[0] == '0' && p[1] != '.') {
        // Octal: all digits belong to the literal, but the conversion stops at the first 8 or 9.
        const char* q = p;
        uint32_t value = 0;
        bool converting = true;
        while (IsDigit(*q)) {
            if (*q > '7') {
                converting = false;
            }
            if (converting) {
                value = value * 8 + static_cast<uint32_t>(*q - '0');
            }
            ++q;
        }
        ScriptValue v = ScriptValue::Integer(KindUInt, value);
        v.cursor = q;
        return v;
    }
    const char* q = p;
    bool dot = false;
    std::string digits;
    while (IsDigit(*q) || (*q == '.' && !dot)) {
        if (*q == '.') {
            dot = true;
        }
        digits += *q;
        ++q;
    }
    double x = std::strtod(digits.c_str(), nullptr);
    ScriptValue v = (dot || x > 2147483647.0) ? ScriptValue::Real(KindDouble, x)
                                              : ScriptValue::Integer(KindInt, static_cast<int64_t>(x));
    v.cursor = q;
    return v;
}

ScriptValue CCalcManager::ReadCharConstant(const char* p) {
    char c = p[1];
    if (c == '\0' || c == '"' || c == '\'') {
        return ScriptValue::Error(21, p);
    }
    const char* q = p + 2;
    unsigned char value = static_cast<unsigned char>(c);
    if (c == '\\') {
        switch (p[2]) {
        case '"':
            value = 34;
            break;
        case '\'':
            value = 39;
            break;
        case '0':
            value = 0;
            break;
        case '?':
            value = 63;
            break;
        case '\\':
            value = 92;
            break;
        case 'n':
            value = 10;
            break;
        case 'r':
            value = 13;
            break;
        case 't':
            value = 9;
            break;
        case 'v':
            value = 11;
            break;
        default:
            return ScriptValue::Error(21, p);
        }
        q = p + 3;
    }
    if (*q != '\'') {
        return ScriptValue::Error(21, p);
    }
    ScriptValue v = ScriptValue::Integer(KindUChar, value);
    v.cursor = q + 1;
    return v;
}

ScriptValue CCalcManager::ReadStringLiteral(const char* p) {
    const char* close = std::strchr(p + 1, '"');
    if (!close) {
        return ScriptValue::Error(7, p);
    }
    ScriptValue v = ScriptValue::String(std::string(p + 1, static_cast<size_t>(close - p - 1)));
    v.cursor = close + 1;
    return v;
}

ScriptValue CCalcManager::ReadNameValue(const char* p) {
    std::string name = ReadName(p, false);
    if (!name.empty()) {
        if (const UserFunction* f = FindFunction(name)) {
            return CallFunction(*f, p + name.size());
        }
    }
    return ReadVariablePath(p);
}

ScriptValue CCalcManager::ReadVariablePath(const char* p) {
    if (!variables) {
        return ScriptValue::Error(5, p);
    }
    return ReadPathParts(std::string(), p);
}

ScriptValue CCalcManager::ReadPathParts(std::string path, const char* p) {
    while (true) {
        std::string name = ReadName(p, true);
        if (name.empty()) {
            return ScriptValue::Error(5, p);
        }
        path += name;
        p += name.size();
        if (*p == '[') {
            ScriptValue index = Evaluate(ScriptValue(p + 1, 0));
            if (index.error) {
                return index;
            }
            if (*index.cursor != ']') {
                return ScriptValue::Error(4, index.cursor);
            }
            const char* after = index.cursor + 1;
            ConvertTo(index, KindInt);
            if (index.error) {
                return ScriptValue::Error(index.error, after);
            }
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "[%d]", static_cast<int>(index.intValue));
            path += buffer;
            p = after;
        }
        if (*p == '.') {
            path += '.';
            ++p;
            continue;
        }
        break;
    }
    return ReadPathType(path, p);
}

ScriptValue CCalcManager::ContinuePath(std::string path, const char* p) {
    if (*p == '.') {
        return ReadPathParts(path + '.', p + 1);
    }
    return ReadPathType(path, p);
}

ScriptValue CCalcManager::ReadPathType(const std::string& path, const char* p) {
    std::string type = variables->GetVariableType(path);
    if (type.empty()) {
        return ScriptValue::Error(5, p);
    }
    return ReadTyped(path, type, p);
}

ScriptValue CCalcManager::ReadTyped(const std::string& path, const std::string& type, const char* cursor) {
    static const struct {
        const char* name;
        int32_t kind;
        int size;
    } types[] = {
        {"char", KindChar, 1},          {"unsigned char", KindUChar, 1},
        {"short", KindShort, 2},        {"unsigned short", KindUShort, 2},
        {"long", KindInt, 4},           {"int", KindInt, 4},
        {"unsigned long", KindUInt, 4}, {"unsigned int", KindUInt, 4},
        {"unsigned", KindUInt, 4},      {"float", KindFloat, 4},
        {"double", KindDouble, 8},
    };
    ScriptValue v(cursor);
    v.name = path;
    uint8_t buffer[8] = {};
    for (const auto& t : types) {
        if (type != t.name) {
            continue;
        }
        variables->ReadVariable(path, buffer, t.size);
        v.kind = t.kind;
        if (t.kind == KindFloat) {
            float f;
            std::memcpy(&f, buffer, 4);
            v.realValue = f;
        } else if (t.kind == KindDouble) {
            std::memcpy(&v.realValue, buffer, 8);
        } else {
            uint64_t bits = 0;
            std::memcpy(&bits, buffer, static_cast<size_t>(t.size));
            v.intValue = NormalizeInteger(t.kind, static_cast<int64_t>(bits));
        }
        return v;
    }
    if (type == "string") {
        v.kind = KindString;
        variables->ReadString(path, v.text);
        return v;
    }
    if (type.back() == '*') {
        variables->ReadVariable(path, buffer, 8);
        int64_t offset = 0;
        std::memcpy(&offset, buffer, 8);
        v.kind = KindPointer;
        v.intValue = offset;
        v.text = type.substr(0, type.size() - 1);
        return v;
    }
    ShowMessage("Missing type in CalcVariable");
    return v;
}

// ---- functions ----

int CCalcManager::RegisterFunction(const std::string& name, const std::string& returnType,
                                   const char* bodyText, int64_t bodyStart, int64_t textEnd) {
    if (name.empty() || IsOperatorFunction(name) || FindFunction(name) || !variables ||
        variables->BaseTypeSize(returnType) < 0) {
        return 0;
    }
    auto f = std::make_unique<UserFunction>();
    f->name = name;
    std::string target;
    f->returnType = variables->TypedefTarget(returnType, target) && !target.empty() ? target : returnType;
    f->bodyText = bodyText;
    f->bodyStart = bodyStart;
    f->textEnd = textEnd;
    f->returnKind = KindOfTypeName(f->returnType);
    ++functionsVersion;
    functionIndex[name] = f.get();
    functions.push_back(std::move(f));
    return 1;
}

int CCalcManager::AddFunctionParameter(const std::string& functionName, const std::string& type,
                                       const std::string& parameterName) {
    UserFunction* f = FindFunction(functionName);
    if (!f || !variables) {
        return 0;
    }
    int64_t size = variables->BaseTypeSize(type);
    if (size < 0) {
        return 0;
    }
    if (size > 0) {
        f->parameterTypes.push_back(type);
        f->parameterNames.push_back(parameterName);
    }
    return 1;
}

UserFunction* CCalcManager::FindFunction(const std::string& name) const {
    auto f = functionIndex.find(name);
    return f == functionIndex.end() ? nullptr : f->second;
}

int32_t CCalcManager::EvaluateArguments(const char*& cursor, ScriptValue* values, int32_t& count) {
    const char* p = cursor;
    int32_t i = 0;
    bool closed = false;
    for (; i < count && !closed; ++i) {
        values[i] = Evaluate(ScriptValue(p, values[i].level));
        if (values[i].error) {
            return values[i].error;
        }
        char c = *values[i].cursor;
        if (c == ',') {
            if (i + 1 == count) {
                return 25;
            }
        } else if (c == ')') {
            closed = true;
        } else {
            return 4;
        }
        p = values[i].cursor + 1;
    }
    cursor = p;
    count = i;
    return 0;
}
