#include "binding/CKvrCalcMan.h"

#include "binding/CInputValue.h"
#include "binding/CKvrVMan.h"
#include "binding/IScriptHost.h"
#include "data/CDataStore.h"
#include "engine/ScriptOperators.h"
#include "platform/CodePage932.h"

#include <algorithm>
#include <cstring>

namespace {

const OperatorRow kFunctions[] = {
    {"GetCurrentByte(", 45, 100},
    {"GetCurrentWord(", 46, 100},
    {"GetCurrentDword(", 47, 100},
    {"GetByte(", 48, 100},
    {"GetWord(", 49, 100},
    {"GetDword(", 50, 100},
    {"GetCurrentOffset(", 51, 100},
    {"GetFileSize(", 52, 100},
    {"FindByte(", 53, 100},
    {"FindWord(", 54, 100},
    {"FindDword(", 55, 100},
    {"FindByteOffset(", 56, 100},
    {"FindWordOffset(", 57, 100},
    {"FindDwordOffset(", 58, 100},
    {"MessageBox(", 59, 100},
    {"Insert(", 60, 100},
    {"Write(", 61, 100},
    {"Delete(", 62, 100},
    {"Add(", 63, 100},
    {"InputData(", 64, 100},
    {"GetStringByte(", 65, 100},
    {"FStrCmp(", 66, 100},
    {"DeleteSymbol(", 67, 100},
    {"Copy(", 68, 100},
    {"Paste(", 69, 100},
    {"GetCursorOffset(", 70, 100},
    {"GetLanguage(", 71, 100},
    {"SetMark(", 72, 100},
};
constexpr size_t kFunctionRows = sizeof kFunctions / sizeof kFunctions[0];
static_assert(kFunctionRows == CKvrCalcMan::kFunctionCount, "one row per data function");

// Arguments of the longest argument list (InputData( and FStrCmp( take at most four).
constexpr int32_t kMaxArguments = 4;

// A successful result: the value with the cursor after the call's ")".
ScriptValue Result(ScriptValue value, const ScriptValue& input, const char* after) {
    value.cursor = after;
    value.level = input.level;
    return value;
}

ScriptValue Fail(int32_t code, const char* cursor) {
    return ScriptValue::Error(code, cursor);
}

// Converts in place; false when the conversion is not allowed.
bool Convert(ScriptValue& value, int32_t kind) {
    ConvertTo(value, kind);
    return value.error == 0;
}

// Lower-cases the single-byte letters of code page 932 text; double-byte characters stay as they are.
std::string FoldCase(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (CodePage932::IsLeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

int Sign(int x) {
    return x < 0 ? -1 : x > 0 ? 1 : 0;
}

} // namespace

CKvrCalcMan::CKvrCalcMan() = default;

CKvrCalcMan::~CKvrCalcMan() = default;

void CKvrCalcMan::SetKvrVariableManager(CKvrVMan* manager) {
    kvr = manager;
    SetVariableManager(manager);
}

const OperatorRow* CKvrCalcMan::FunctionTable(size_t& count) {
    count = kFunctionRows;
    return kFunctions;
}

const OperatorRow* CKvrCalcMan::FindOperator(const char* position) {
    if (const OperatorRow* row = CCalcManager::FindOperator(position)) {
        return row;
    }
    static const std::vector<size_t> lengths = [] {
        std::vector<size_t> l;
        for (const OperatorRow& row : kFunctions) {
            l.push_back(std::strlen(row.text));
        }
        return l;
    }();
    // Every function name starts with a capital letter; anything else is not one of them.
    if (position[0] < 'A' || position[0] > 'Z') {
        return nullptr;
    }
    for (size_t i = 0; i < kFunctionRows; ++i) {
        if (kFunctions[i].text[0] == position[0] &&
            std::strncmp(position, kFunctions[i].text, lengths[i]) == 0) {
            return &kFunctions[i];
        }
    }
    return nullptr;
}

ScriptValue CKvrCalcMan::CallExtension(int32_t id, const ScriptValue& input) {
    if (id < kFirstFunctionId || id >= kFirstFunctionId + kFunctionCount) {
        return CCalcManager::CallExtension(id, input);
    }
    if (!kvr) {
        return Fail(1, input.cursor);
    }
    switch (id) {
    case kGetCurrentByte:
    case kGetCurrentWord:
    case kGetCurrentDword:
    case kGetByte:
    case kGetWord:
    case kGetDword:
        return ReadAt(id, input);
    case kGetCurrentOffset:
    case kGetFileSize: {
        ScriptValue ignored;
        ScriptValue after = ExpressionArgument(input, ignored);
        if (after.error) {
            return after;
        }
        uint64_t value = id == kGetCurrentOffset ? kvr->GetNextOffset() : kvr->DataSize();
        return Result(ScriptValue::Integer(KindUInt, static_cast<int64_t>(value)), input, after.cursor);
    }
    case kFindByte:
    case kFindWord:
    case kFindDword:
    case kFindByteOffset:
    case kFindWordOffset:
    case kFindDwordOffset:
        return Find(id, input);
    case kMessageBox:
        return MessageBoxCall(input);
    case kInsert:
    case kWrite:
    case kDelete:
    case kAdd:
        return Change(id, input);
    case kInputData:
        return InputDataCall(input);
    case kGetStringByte:
        return GetStringByteCall(input);
    case kFStrCmp:
        return FStrCmpCall(input);
    case kCopy:
        return CopyCall(input);
    case kSetMark:
        return SetMarkCall(input);
    default:
        return NoArgument(id, input);
    }
}

// ---- argument forms ----

ScriptValue CKvrCalcMan::ExpressionArgument(const ScriptValue& input, ScriptValue& argument) {
    argument = Evaluate(ScriptValue(input.cursor, 0));
    // The expression's own error is not passed on: a bad argument in this form is a misuse of the function.
    if (argument.error || !argument.cursor || *argument.cursor != ')') {
        return Fail(2, argument.cursor ? argument.cursor : input.cursor);
    }
    ScriptValue after(argument.cursor + 1);
    return after;
}

ScriptValue CKvrCalcMan::ExpressionArguments(const ScriptValue& input, ScriptValue& first,
                                             ScriptValue& second) {
    first = Evaluate(ScriptValue(input.cursor, 0));
    if (first.error || !first.cursor || *first.cursor != ',') {
        return Fail(2, first.cursor ? first.cursor : input.cursor);
    }
    second = Evaluate(ScriptValue(first.cursor + 1, 0));
    if (second.error || !second.cursor || *second.cursor != ')') {
        return Fail(2, second.cursor ? second.cursor : input.cursor);
    }
    return ScriptValue(second.cursor + 1);
}

ScriptValue CKvrCalcMan::ArgumentList(const ScriptValue& input, ScriptValue* values, int32_t maximum,
                                      int32_t& count) {
    const char* cursor = input.cursor;
    count = maximum;
    int32_t error = EvaluateArguments(cursor, values, count);
    if (error) {
        // An argument's own error keeps its cursor: inside a script function it marks the line to report.
        for (int32_t i = 0; i < maximum; ++i) {
            if (values[i].error) {
                return Fail(error, values[i].cursor ? values[i].cursor : input.cursor);
            }
        }
        return Fail(error, input.cursor);
    }
    return ScriptValue(cursor);
}

// ---- reading ----

ScriptValue CKvrCalcMan::ReadAt(int32_t id, const ScriptValue& input) {
    ScriptValue argument;
    ScriptValue after = ExpressionArgument(input, argument);
    if (after.error) {
        return after;
    }
    uint64_t offset = kvr->GetNextOffset();
    if (id == kGetByte || id == kGetWord || id == kGetDword) {
        if (!Convert(argument, KindInt) || argument.intValue < 0) {
            return Fail(8, input.cursor);
        }
        offset = static_cast<uint64_t>(argument.intValue);
    }
    const bool byte = id == kGetCurrentByte || id == kGetByte;
    const bool word = id == kGetCurrentWord || id == kGetWord;
    const uint64_t n = byte ? 1 : word ? 2 : 4;
    unsigned char bytes[4] = {};
    if (kvr->ReadBytes(offset, bytes, n, true) < n) {
        return Fail(23, input.cursor);
    }
    uint32_t value = 0;
    for (uint64_t i = 0; i < n; ++i) {
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    const int32_t kind = byte ? KindUChar : word ? KindUShort : KindUInt;
    return Result(ScriptValue::Integer(kind, value), input, after.cursor);
}

// ---- searching ----

int64_t CKvrCalcMan::Search(uint32_t value, int n, uint64_t start) const {
    if (!kvr || (n != 1 && n != 2 && n != 4)) {
        return -1;
    }
    unsigned char pattern[4];
    for (int i = 0; i < n; ++i) {
        pattern[i] = static_cast<unsigned char>(value >> (8 * i));
    }
    if (kvr->IsBigEndian() && n > 1) {
        std::reverse(pattern, pattern + n);
    }
    const uint64_t size = kvr->DataSize();
    const auto length = static_cast<uint64_t>(n);
    unsigned char chunk[kSearchChunk];
    uint64_t p = start;
    uint64_t consumed = 0;
    while (p < size) {
        const uint64_t m = kvr->ReadBytes(p, chunk, kSearchChunk, false);
        for (uint64_t i = 0; i < m; ++i) {
            if (chunk[i] != pattern[0]) {
                continue;
            }
            // A pattern that runs past the chunk is found by the next chunk, which starts n - 1 bytes back.
            if (m - i < length) {
                break;
            }
            if (std::memcmp(chunk + i + 1, pattern + 1, length - 1) == 0) {
                return static_cast<int64_t>(consumed + i);
            }
        }
        if (m < kSearchChunk) {
            break;
        }
        p += m - (length - 1);
        consumed += m - (length - 1);
    }
    return -1;
}

ScriptValue CKvrCalcMan::Find(int32_t id, const ScriptValue& input) {
    const bool offsetForm = id == kFindByteOffset || id == kFindWordOffset || id == kFindDwordOffset;
    const int32_t base = offsetForm ? kFindByteOffset : kFindByte;
    const int n = id == base ? 1 : id == base + 1 ? 2 : 4;
    const int32_t kind = n == 1 ? KindUChar : n == 2 ? KindUShort : KindUInt;
    ScriptValue value;
    ScriptValue start;
    ScriptValue after =
        offsetForm ? ExpressionArguments(input, value, start) : ExpressionArgument(input, value);
    if (after.error) {
        return after;
    }
    uint64_t from = kvr->GetNextOffset();
    if (offsetForm) {
        if (!Convert(start, KindUInt)) {
            return Fail(8, input.cursor);
        }
        from = static_cast<uint64_t>(start.intValue);
    }
    if (!Convert(value, kind)) {
        return Fail(8, input.cursor);
    }
    int64_t distance = Search(static_cast<uint32_t>(value.intValue), n, from);
    return Result(ScriptValue::Integer(KindInt, distance), input, after.cursor);
}

// ---- the user ----

ScriptValue CKvrCalcMan::MessageBoxCall(const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 3, count);
    if (after.error) {
        return after;
    }
    if (count == 1 && values[0].kind == KindVoid) {
        return Fail(25, input.cursor);
    }
    ScriptValue caption = ScriptValue::String("KIVRAN");
    ScriptValue style = ScriptValue::Integer(KindUInt, 1);
    if (count >= 2) {
        caption = values[1];
    }
    if (count >= 3) {
        style = values[2];
    }
    if (!Convert(values[0], KindString) || !Convert(caption, KindString) || !Convert(style, KindUInt)) {
        return Fail(8, input.cursor);
    }
    const auto styleBits = static_cast<uint32_t>(style.intValue);
    int button = host ? host->MessageBox(values[0].text, caption.text, styleBits)
                      : IScriptHost::FirstButton(styleBits);
    return Result(ScriptValue::Integer(KindUInt, button), input, after.cursor);
}

ScriptValue CKvrCalcMan::InputDataCall(const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 3, count);
    if (after.error) {
        return after;
    }
    if (count != 3) {
        return Fail(25, input.cursor);
    }
    const ScriptValue& pointer = values[2];
    if (values[0].kind != KindString || values[1].kind != KindString || pointer.kind != KindPointer) {
        return Fail(8, input.cursor);
    }
    // The variable's current value, read as the dereference operator reads it.
    const int32_t kind = KindOfTypeName(pointer.text);
    const int64_t size = kvr->BaseTypeSize(pointer.text);
    const int64_t offset = pointer.intValue;
    const int64_t used = kvr->MemoryUsed();
    const uint8_t* base = kvr->MemoryBase();
    const bool inside = base && offset >= 0 && size > 0 && offset <= used - size;
    ScriptValue current;
    uint32_t stringId = 0;
    bool readable = inside && (IsIntegerKind(kind) || IsRealKind(kind) || kind == KindString);
    if (readable) {
        current.kind = kind;
        if (kind == KindString) {
            std::memcpy(&stringId, base + offset, sizeof stringId);
            readable = kvr->GetString(stringId, current.text);
        } else if (kind == KindFloat) {
            float f;
            std::memcpy(&f, base + offset, sizeof f);
            current.realValue = f;
        } else if (kind == KindDouble) {
            std::memcpy(&current.realValue, base + offset, sizeof current.realValue);
        } else {
            uint64_t bits = 0;
            std::memcpy(&bits, base + offset, static_cast<size_t>(IntegerWidth(kind)));
            current.intValue = NormalizeInteger(kind, static_cast<int64_t>(bits));
        }
    }
    CInputValue value = readable ? CInputValue::FromScriptValue(current) : CInputValue(CInputValue::kLong);
    std::string text = value.InitialText();
    if (!host || !host->InputData(values[0].text, values[1].text, value.GetType(), text)) {
        return Result(ScriptValue::Integer(KindUInt, 0), input, after.cursor);
    }
    // Stored only when the text parses and the variable lies wholly inside the registry's memory; the
    // result is 1 either way.
    if (value.Parse(text) == 0 && readable) {
        // The registry may have moved its block while the prompt was open; look again.
        uint8_t* target = kvr->MemoryBase();
        if (target && offset <= kvr->MemoryUsed() - size) {
            if (kind == KindString) {
                kvr->SetStringById(stringId, value.TextValue());
            } else {
                unsigned char bytes[8];
                size_t n = value.Bytes(bytes);
                std::memcpy(target + offset, bytes, std::min(n, static_cast<size_t>(size)));
            }
        }
    }
    return Result(ScriptValue::Integer(KindUInt, 1), input, after.cursor);
}

// ---- changing the data ----

bool CKvrCalcMan::ValueBytes(const ScriptValue& value, std::vector<unsigned char>& bytes) const {
    bytes.clear();
    if (IsIntegerKind(value.kind)) {
        const int width = IntegerWidth(value.kind);
        for (int i = 0; i < width; ++i) {
            bytes.push_back(static_cast<unsigned char>(static_cast<uint64_t>(value.intValue) >> (8 * i)));
        }
    } else if (value.kind == KindFloat) {
        auto f = static_cast<float>(value.realValue);
        bytes.resize(sizeof f);
        std::memcpy(bytes.data(), &f, sizeof f);
    } else if (value.kind == KindDouble) {
        bytes.resize(sizeof value.realValue);
        std::memcpy(bytes.data(), &value.realValue, sizeof value.realValue);
    } else if (value.kind == KindString) {
        bytes.assign(value.text.begin(), value.text.end());
        return true;
    } else if (value.kind != KindVoid) {
        // A pointer is an offset into the script's own memory: it has no meaning in the data.
        return false;
    }
    if (kvr && kvr->IsBigEndian()) {
        std::reverse(bytes.begin(), bytes.end());
    }
    return true;
}

ScriptValue CKvrCalcMan::Change(int32_t id, const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    const int32_t wanted = id == kAdd ? 1 : 2;
    ScriptValue after = ArgumentList(input, values, wanted, count);
    if (after.error) {
        return after;
    }
    if (count != wanted) {
        return Fail(25, input.cursor);
    }
    uint64_t offset = 0;
    if (id != kAdd) {
        if (!Convert(values[0], KindUInt)) {
            return Fail(8, input.cursor);
        }
        offset = static_cast<uint64_t>(values[0].intValue);
    }
    // Nothing to change is not a change: no empty undo step. The answer is what the change would have been.
    auto nothing = [this](uint64_t at) {
        CDataStore* store = kvr->Owner();
        return store && store->CanInsertOrDelete() && at <= kvr->DataSize() ? 1 : 0;
    };
    int64_t result = 0;
    if (id == kDelete) {
        if (!Convert(values[1], KindUInt)) {
            return Fail(8, input.cursor);
        }
        const auto n = static_cast<uint64_t>(values[1].intValue);
        result = n == 0 ? nothing(offset) : kvr->DeleteBytes(offset, n);
    } else {
        std::vector<unsigned char> bytes;
        if (!ValueBytes(values[id == kAdd ? 0 : 1], bytes)) {
            return Fail(8, input.cursor);
        }
        if (id == kAdd) {
            offset = kvr->DataSize();
        }
        if (id == kWrite) {
            result =
                bytes.empty() ? 0 : static_cast<int64_t>(kvr->WriteBytes(offset, bytes.data(), bytes.size()));
        } else {
            result = bytes.empty() ? nothing(offset) : kvr->InsertBytes(offset, bytes.data(), bytes.size());
        }
    }
    return Result(ScriptValue::Integer(KindUInt, result), input, after.cursor);
}

// ---- strings, symbols, clipboard, cursor, language, marks ----

ScriptValue CKvrCalcMan::GetStringByteCall(const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 2, count);
    if (after.error) {
        return after;
    }
    if (count != 2) {
        return Fail(25, input.cursor);
    }
    if (values[0].kind != KindString || !Convert(values[1], KindUInt)) {
        return Fail(8, input.cursor);
    }
    const auto index = static_cast<uint64_t>(values[1].intValue);
    if (index >= values[0].text.size()) {
        return Fail(32, input.cursor);
    }
    auto byte = static_cast<unsigned char>(values[0].text[static_cast<size_t>(index)]);
    return Result(ScriptValue::Integer(KindUChar, byte), input, after.cursor);
}

ScriptValue CKvrCalcMan::FStrCmpCall(const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 4, count);
    if (after.error) {
        return after;
    }
    if (count < 3) {
        return Fail(25, input.cursor);
    }
    ScriptValue ignoreCase = ScriptValue::Integer(KindUInt, 0);
    if (count == 4) {
        ignoreCase = values[3];
    }
    if (!Convert(values[0], KindUInt) || !Convert(values[1], KindUInt) || values[2].kind != KindString ||
        !Convert(ignoreCase, KindUInt)) {
        return Fail(8, input.cursor);
    }
    const auto offset = static_cast<uint64_t>(values[0].intValue);
    const std::string& expected = values[2].text;
    uint64_t length = static_cast<uint64_t>(values[1].intValue);
    if (length == 0) {
        length = expected.size();
    }
    // Bytes beyond the data are never read, so the buffer never needs to be larger than the data.
    const uint64_t size = kvr->DataSize();
    length = std::min(length, offset < size ? size - offset : 0);
    std::vector<unsigned char> buffer(static_cast<size_t>(length) + 1, 0);
    if (length > 0) {
        kvr->ReadBytes(offset, buffer.data(), length, false);
    }
    std::string text(reinterpret_cast<const char*>(buffer.data()));
    int order = (ignoreCase.intValue & 1) != 0
                    ? ScriptOperators::CompareMultibyte(FoldCase(text), FoldCase(expected))
                    : ScriptOperators::CompareMultibyte(text, expected);
    return Result(ScriptValue::Integer(KindInt, Sign(order)), input, after.cursor);
}

ScriptValue CKvrCalcMan::NoArgument(int32_t id, const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 1, count);
    if (after.error) {
        return after;
    }
    if (count != 1 || values[0].kind != KindVoid) {
        return Fail(25, input.cursor);
    }
    switch (id) {
    case kDeleteSymbol:
        kvr->ClearSymbols();
        return Result(ScriptValue(), input, after.cursor);
    case kPaste:
        return Result(ScriptValue::String(host ? host->PasteText() : std::string()), input, after.cursor);
    case kGetCursorOffset:
        return Result(ScriptValue::Integer(KindUInt, static_cast<int64_t>(kvr->CursorOffset())), input,
                      after.cursor);
    default:
        return Result(ScriptValue::Integer(KindInt, language), input, after.cursor);
    }
}

ScriptValue CKvrCalcMan::CopyCall(const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 1, count);
    if (after.error) {
        return after;
    }
    if (values[0].kind != KindString) {
        return Fail(8, input.cursor);
    }
    bool copied = host && host->CopyText(values[0].text);
    return Result(ScriptValue::Integer(KindUInt, copied ? 1 : 0), input, after.cursor);
}

ScriptValue CKvrCalcMan::SetMarkCall(const ScriptValue& input) {
    ScriptValue values[kMaxArguments];
    int32_t count = 0;
    ScriptValue after = ArgumentList(input, values, 1, count);
    if (after.error) {
        return after;
    }
    if (!Convert(values[0], KindUInt)) {
        return Fail(8, input.cursor);
    }
    kvr->AddMark(static_cast<uint64_t>(values[0].intValue));
    return Result(ScriptValue(), input, after.cursor);
}
