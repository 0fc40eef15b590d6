#include "binding/CKvrVMan.h"

#include "data/CDataStore.h"
#include "platform/CodePage932.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Field positions inside a record.
constexpr uint64_t kOffsetField = 0;
constexpr uint64_t kPreviousField = 8;
constexpr uint64_t kCountField = 16;
constexpr uint64_t kRowsField = 24;
constexpr uint64_t kLengthField = 32;
constexpr uint64_t kSizeField = 34;
// Deeper than any struct the registry accepts; only a struct graph with a cycle gets there.
constexpr int kMaxDepth = CVariableManager::kMaxStructNesting + 1;
constexpr size_t kNone = SIZE_MAX;

uint64_t MaxOne(uint64_t n) {
    return n < 1 ? 1 : n;
}

bool Multiply(uint64_t a, uint64_t b, uint64_t& out) {
    return !__builtin_mul_overflow(a, b, &out);
}

bool Add(uint64_t a, uint64_t b, uint64_t& out) {
    return !__builtin_add_overflow(a, b, &out);
}

uint64_t Load64(const unsigned char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, 8);
    return v;
}

void Store64(unsigned char* p, uint64_t v) {
    std::memcpy(p, &v, 8);
}

uint64_t DecimalDigits(uint64_t v) {
    uint64_t digits = 1;
    while (v >= 10) {
        v /= 10;
        ++digits;
    }
    return digits;
}

// The first occurrence of needle in text that starts and ends on character boundaries (a double-byte
// character is never split); npos when there is none.
size_t FindWholeCharacters(const std::string& text, const std::string& needle) {
    const size_t n = needle.size();
    size_t p = 0;
    while (p + n <= text.size()) {
        if (text.compare(p, n, needle) == 0) {
            size_t q = p;
            while (q < p + n) {
                q += CodePage932::IsLeadByte(static_cast<unsigned char>(text[q])) && q + 1 < text.size() ? 2
                                                                                                         : 1;
            }
            if (q == p + n) {
                return p;
            }
        }
        p += CodePage932::IsLeadByte(static_cast<unsigned char>(text[p])) && p + 1 < text.size() ? 2 : 1;
    }
    return std::string::npos;
}

} // namespace

CKvrVMan::CKvrVMan() {
    Reset();
}

CKvrVMan::~CKvrVMan() = default;

// ---- bound declarations ----

int CKvrVMan::RegisterVariable(const std::string& type, const std::string& name, int64_t count, int32_t flags,
                               int32_t scope) {
    if (bindNext == 0) {
        return CVariableManager::RegisterVariable(type, name, count, flags, scope);
    }
    if (type.empty() || name.empty() || count < 0) {
        return 0;
    }
    // A string variable of that name supplies the symbol's name, so that a symbol file can build names.
    std::string symbolName = name;
    const VariableRecord* named = FindVariable(name, -1);
    if (named && named->typeName == "string") {
        std::string value;
        if (ReadString(name, value)) {
            symbolName = value;
        }
    }
    // A record ends its texts with 0 bytes and stores its length in 16 bits: names that break either rule
    // are refused rather than stored in a form the table cannot walk.
    if (symbolName.empty() || symbolName.find('\0') != std::string::npos) {
        return 0;
    }
    std::string symbolType = type;
    std::string target;
    if (TypedefTarget(symbolType, target) && !target.empty()) {
        symbolType = target;
    }
    const int64_t size = TypeSize(symbolType);
    if (size <= 0) {
        return 0;
    }
    const uint64_t n = static_cast<uint64_t>(count);
    const uint64_t rows = RowsOf(symbolType, n);
    if (rows == 0) {
        return 0;
    }
    uint64_t span = 0;
    uint64_t newNext = 0;
    uint64_t newRows = 0;
    if (!Multiply(MaxOne(n), static_cast<uint64_t>(size), span) || !Add(nextOffset, span, newNext) ||
        !Add(symbolRows, rows, newRows)) {
        return 0;
    }
    const uint64_t recordLength = kHeaderLength + symbolType.size() + 1 + symbolName.size() + 1;
    if (recordLength > UINT16_MAX) {
        return 0;
    }
    try {
        if (recordStarts.size() == recordStarts.capacity()) {
            recordStarts.reserve(std::max<size_t>(64, recordStarts.size() * 2));
        }
        if (rowBases.size() == rowBases.capacity()) {
            rowBases.reserve(std::max<size_t>(64, rowBases.size() * 2));
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    // Grow the block geometrically: a symbol file may declare many thousands of records.
    if (Capacity() - Length() < recordLength) {
        SetGrowthStep(std::max<uint64_t>(4096, Length()));
    }

    const uint64_t before = Length();
    unsigned char header[kHeaderLength];
    Store64(header + kOffsetField, nextOffset);
    Store64(header + kPreviousField, static_cast<uint64_t>(lastRecord));
    Store64(header + kCountField, n);
    Store64(header + kRowsField, rows);
    const uint16_t length16 = static_cast<uint16_t>(recordLength);
    std::memcpy(header + kLengthField, &length16, 2);
    Store64(header + kSizeField, static_cast<uint64_t>(size));
    if (!Append(header, kHeaderLength) || !Append(symbolType.c_str(), symbolType.size() + 1) ||
        !Append(symbolName.c_str(), symbolName.size() + 1)) {
        Truncate(before);
        return 0;
    }
    try {
        newestByName[symbolName] = recordStarts.size();
    } catch (const std::bad_alloc&) {
        Truncate(before);
        return 0;
    }
    recordStarts.push_back(before);
    rowBases.push_back(symbolRows);

    // The counters move only now that the record is complete: a paint in between sees the old table.
    nameWidth = std::max(nameWidth, NameWidthOf(symbolType, symbolName, n));
    symbolRows = newRows;
    nextOffset = newNext;
    lastRecord = static_cast<int64_t>(before);
    return 1;
}

// ---- types ----

bool CKvrVMan::IsStructType(const std::string& type) const {
    return !type.empty() && type.back() != '*' && FindStruct(type) != nullptr;
}

uint64_t CKvrVMan::RowsOf(const std::string& type, uint64_t count, int depth) const {
    if (depth > kMaxDepth) {
        return 0;
    }
    if (!IsStructType(type)) {
        const int64_t b = TypeSize(type);
        uint64_t bytes = 0;
        if (b <= 0 || !Multiply(static_cast<uint64_t>(b), MaxOne(count), bytes)) {
            return 0;
        }
        return bytes / kRowBytes + (bytes % kRowBytes != 0 ? 1 : 0);
    }
    const StructRecord* s = FindStruct(type);
    uint64_t perElement = 0;
    for (size_t m = 0; m < s->memberTypes.size(); ++m) {
        const uint64_t q = RowsOf(s->memberTypes[m], s->memberCounts[m], depth + 1);
        if (q == 0) {
            break;
        }
        if (!Add(perElement, q, perElement)) {
            return 0;
        }
    }
    uint64_t rows = 0;
    return Multiply(MaxOne(count), perElement, rows) ? rows : 0;
}

uint64_t CKvrVMan::NameWidthOf(const std::string& type, const std::string& name, uint64_t count,
                               int depth) const {
    uint64_t width = 0;
    if (depth <= kMaxDepth && IsStructType(type)) {
        const StructRecord* s = FindStruct(type);
        uint64_t widest = 0;
        for (size_t m = 0; m < s->memberTypes.size(); ++m) {
            widest = std::max(
                widest, NameWidthOf(s->memberTypes[m], s->memberNames[m], s->memberCounts[m], depth + 1));
        }
        width = 1 + widest;
    }
    width += name.size();
    if (count > 0) {
        width += 2 + DecimalDigits(count - 1);
    }
    return width;
}

// ---- rows ----

bool CKvrVMan::NamingStep(const std::string& type, const std::string& name, uint64_t count, uint64_t row,
                          uint64_t& offset, SymbolRow& out, int depth) const {
    if (depth > kMaxDepth) {
        return false;
    }
    if (!IsStructType(type)) {
        const int64_t size = TypeSize(type);
        if (size <= 0 || row >= RowsOf(type, count, depth)) {
            return false;
        }
        const uint64_t b = static_cast<uint64_t>(size);
        const uint64_t per = std::max<uint64_t>(1, kRowBytes / b);
        if (count > 0) {
            const uint64_t first = row * per;
            out.name = name + "[" + std::to_string(first) + "]";
            out.elements = std::min(count - first, per);
            offset += first * b;
        } else {
            out.name = name;
            out.elements = 1;
        }
        out.elementSize = b;
        return true;
    }
    const StructRecord* s = FindStruct(type);
    const uint64_t perElement = RowsOf(type, 0, depth);
    if (perElement == 0 || row / perElement >= MaxOne(count)) {
        return false;
    }
    const uint64_t element = row / perElement;
    const uint64_t within = row % perElement;
    offset += element * static_cast<uint64_t>(s->totalSize);
    uint64_t sum = 0;
    for (size_t m = 0; m < s->memberTypes.size(); ++m) {
        const std::string& memberType = s->memberTypes[m];
        const uint64_t memberCount = s->memberCounts[m];
        const uint64_t q = RowsOf(memberType, memberCount, depth + 1);
        if (q == 0) {
            return false;
        }
        if (within < sum + q) {
            SymbolRow inner;
            if (!NamingStep(memberType, s->memberNames[m], memberCount, within - sum, offset, inner,
                            depth + 1)) {
                return false;
            }
            out.name = count > 0 ? name + "[" + std::to_string(element) + "]." + inner.name
                                 : name + "." + inner.name;
            out.elements = inner.elements;
            out.elementSize = inner.elementSize;
            return true;
        }
        offset += MaxOne(memberCount) * static_cast<uint64_t>(TypeSize(memberType));
        sum += q;
    }
    return false;
}

size_t CKvrVMan::RecordOfRow(uint64_t row) const {
    const size_t n = recordStarts.size();
    auto holds = [&](size_t i) {
        return i < n && rowBases[i] <= row && row - rowBases[i] < RecordField(i, kRowsField);
    };
    // Painting asks for consecutive rows: the cached record or the one after it answers almost always.
    if (holds(lookupIndex)) {
        return lookupIndex;
    }
    if (holds(lookupIndex + 1)) {
        return lookupIndex + 1;
    }
    auto after = std::upper_bound(rowBases.begin(), rowBases.begin() + static_cast<std::ptrdiff_t>(n), row);
    if (after == rowBases.begin()) {
        return kNone;
    }
    const size_t i = static_cast<size_t>(after - rowBases.begin()) - 1;
    return holds(i) ? i : kNone;
}

bool CKvrVMan::LookupRow(uint64_t row, SymbolRow& out) const {
    if (!IsValid()) {
        return false;
    }
    const size_t index = RecordOfRow(row);
    if (index == kNone) {
        return false;
    }
    const Record record = Decode(recordStarts[index]);
    SymbolRow found;
    uint64_t offset = 0;
    if (!NamingStep(record.type, record.name, record.count, row - rowBases[index], offset, found)) {
        return false;
    }
    lookupIndex = index;
    rowName = found.name;
    out.offset = record.offset + offset;
    out.elements = found.elements;
    out.elementSize = found.elementSize;
    out.name = rowName;
    return true;
}

uint64_t CKvrVMan::RowWithin(const std::string& type, uint64_t count, uint64_t relative, int depth) const {
    if (depth > kMaxDepth) {
        return 0;
    }
    if (!IsStructType(type)) {
        const int64_t size = TypeSize(type);
        if (size <= 0) {
            return 0;
        }
        const uint64_t b = static_cast<uint64_t>(size);
        return relative / (b * std::max<uint64_t>(1, kRowBytes / b));
    }
    const StructRecord* s = FindStruct(type);
    const uint64_t total = static_cast<uint64_t>(s->totalSize);
    if (total == 0) {
        return 0;
    }
    const uint64_t element = std::min(relative / total, MaxOne(count) - 1);
    uint64_t row = RowsOf(type, 0, depth) * element;
    const uint64_t inside = relative - element * total;
    uint64_t position = 0;
    for (size_t m = 0; m < s->memberTypes.size(); ++m) {
        const std::string& memberType = s->memberTypes[m];
        const uint64_t memberCount = s->memberCounts[m];
        const uint64_t span =
            MaxOne(memberCount) * static_cast<uint64_t>(std::max<int64_t>(0, TypeSize(memberType)));
        if (inside < position + span) {
            return row + RowWithin(memberType, memberCount, inside - position, depth + 1);
        }
        position += span;
        row += RowsOf(memberType, memberCount, depth + 1);
    }
    return row;
}

size_t CKvrVMan::RecordOfOffset(uint64_t offset) const {
    // The records tile the data from 0 in declaration order, so their offsets ascend.
    size_t low = 0;
    size_t high = recordStarts.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (RecordField(mid, kOffsetField) <= offset) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    if (low == 0) {
        return kNone;
    }
    const size_t i = low - 1;
    const uint64_t start = RecordField(i, kOffsetField);
    const uint64_t span = MaxOne(RecordField(i, kCountField)) * RecordField(i, kSizeField);
    return offset - start < span ? i : kNone;
}

int64_t CKvrVMan::RowOfOffset(uint64_t offset) const {
    if (offset >= nextOffset) {
        return -1;
    }
    if (Length() < kHeaderLength + 1) {
        return 0;
    }
    const size_t index = RecordOfOffset(offset);
    if (index == kNone) {
        return -1;
    }
    const Record record = Decode(recordStarts[index]);
    const uint64_t within = RowWithin(record.type, record.count, offset - record.offset);
    return static_cast<int64_t>(rowBases[index] + std::min(within, record.rows - 1));
}

// ---- records ----

uint64_t CKvrVMan::RecordField(size_t index, uint64_t fieldOffset) const {
    return Load64(Buffer() + recordStarts[index] + fieldOffset);
}

CKvrVMan::Record CKvrVMan::Decode(uint64_t position) const {
    Record r;
    const uint64_t length = Length();
    if (position > length || length - position < kHeaderLength) {
        return r;
    }
    const unsigned char* p = Buffer() + position;
    r.offset = Load64(p + kOffsetField);
    r.previous = static_cast<int64_t>(Load64(p + kPreviousField));
    r.count = Load64(p + kCountField);
    r.rows = Load64(p + kRowsField);
    std::memcpy(&r.recordLength, p + kLengthField, 2);
    r.elementSize = Load64(p + kSizeField);
    const char* text = reinterpret_cast<const char*>(p + kHeaderLength);
    const size_t room = static_cast<size_t>(length - position - kHeaderLength);
    const size_t typeLength = strnlen(text, room);
    r.type.assign(text, typeLength);
    if (typeLength < room) {
        r.name.assign(text + typeLength + 1, strnlen(text + typeLength + 1, room - typeLength - 1));
    }
    return r;
}

CKvrVMan::Record CKvrVMan::SymbolAt(size_t index) const {
    return index < recordStarts.size() ? Decode(recordStarts[index]) : Record();
}

bool CKvrVMan::IsValid() const {
    return Length() > kHeaderLength && Buffer()[Length() - 1] == 0 && !recordStarts.empty();
}

// ---- paths ----

bool CKvrVMan::ResolveSymbolPath(const std::string& path, std::string& type, uint64_t& size,
                                 uint64_t& offset) const {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    if (!SplitPath(path, names, indices) || names.empty()) {
        return false;
    }
    auto newest = newestByName.find(names[0]);
    if (newest == newestByName.end()) {
        return false;
    }
    const Record record = Decode(recordStarts[newest->second]);
    const uint64_t first = static_cast<uint64_t>(indices[0]);
    if (indices[0] < 0 || first >= MaxOne(record.count)) {
        return false;
    }
    // Offsets that scripts see are 32-bit.
    uint64_t at = static_cast<uint32_t>(record.offset + first * record.elementSize);
    std::string current = record.type;
    for (size_t k = 1; k < names.size(); ++k) {
        if (!IsStructType(current)) {
            return false;
        }
        const int m = MemberIndex(current, names[k]);
        if (m < 0) {
            return false;
        }
        const StructRecord* s = FindStruct(current);
        const std::string memberType = s->memberTypes[static_cast<size_t>(m)];
        const uint64_t index = static_cast<uint64_t>(indices[k]);
        const int64_t memberOffset = MemberOffset(current, names[k]);
        const int64_t memberSize = TypeSize(memberType);
        if (indices[k] < 0 || index >= MaxOne(s->memberCounts[static_cast<size_t>(m)]) || memberOffset < 0 ||
            memberSize <= 0) {
            return false;
        }
        at = static_cast<uint32_t>(at + static_cast<uint64_t>(memberOffset) +
                                   index * static_cast<uint64_t>(memberSize));
        current = memberType;
    }
    const int64_t currentSize = TypeSize(current);
    if (currentSize <= 0) {
        return false;
    }
    type = current;
    size = static_cast<uint64_t>(currentSize);
    offset = at;
    return true;
}

std::string CKvrVMan::GetVariableType(const std::string& path) {
    std::string inherited = CVariableManager::GetVariableType(path);
    if (!inherited.empty()) {
        return inherited;
    }
    std::string type;
    uint64_t size = 0;
    uint64_t offset = 0;
    return ResolveSymbolPath(path, type, size, offset) ? type : std::string();
}

int64_t CKvrVMan::ReadVariable(const std::string& path, void* buffer, int64_t bufferSize) {
    const int64_t inherited = CVariableManager::ReadVariable(path, buffer, bufferSize);
    if (inherited != 0) {
        return inherited;
    }
    std::string type;
    uint64_t size = 0;
    uint64_t offset = 0;
    if (!buffer || bufferSize <= 0 || !ResolveSymbolPath(path, type, size, offset)) {
        return 0;
    }
    // Only the addressed element is read: the bytes after it belong to other symbols, and reversing them
    // in with a big-endian value would shift the value's bytes.
    const uint64_t length = std::min(static_cast<uint64_t>(bufferSize), size);
    return static_cast<int64_t>(ReadBytes(offset, static_cast<unsigned char*>(buffer), length, true));
}

// ---- life cycle ----

void CKvrVMan::ClearTable() {
    Clear();
    recordStarts.clear();
    rowBases.clear();
    newestByName.clear();
    nextOffset = 0;
    nameWidth = 0;
    symbolRows = 0;
    lastRecord = -1;
    lookupIndex = 0;
    rowName.clear();
}

void CKvrVMan::Reset() {
    ClearTable();
    bigEndian = 0;
    ResetTypes();
    ClearVariables();
    ClearStructs();
}

void CKvrVMan::ClearSymbols() {
    ClearTable();
    ResetTypes();
    // The macro's own variables stay, and with them the structs their storage was laid out by.
    ClearStructsNotInUse();
}

void CKvrVMan::FreeVariables() {
    ClearVariables();
}

// ---- symbol search ----

bool CKvrVMan::FindSymbol(uint64_t start, const std::string& text, int direction, int flags,
                          uint64_t& offset) const {
    if (text.empty() || !IsValid()) {
        return false;
    }
    const bool caseSensitive = (flags & 1) != 0;
    const bool partial = (flags & 2) != 0;
    const std::string wanted = caseSensitive ? text : CodePage932::ToUpper(text);
    const size_t current = RecordOfOffset(start);
    if (current == kNone) {
        return false;
    }
    auto matches = [&](size_t index) {
        const Record record = Decode(recordStarts[index]);
        const std::string name = caseSensitive ? record.name : CodePage932::ToUpper(record.name);
        const size_t at = FindWholeCharacters(name, wanted);
        if (at == std::string::npos || (!partial && at != 0)) {
            return false;
        }
        offset = record.offset;
        return true;
    };
    if (direction >= 1) {
        for (size_t i = current + 1; i < recordStarts.size(); ++i) {
            if (matches(i)) {
                return true;
            }
        }
        return false;
    }
    for (size_t i = current; i-- > 0;) {
        if (matches(i)) {
            return true;
        }
    }
    return false;
}

// ---- data helpers ----

uint64_t CKvrVMan::ReadBytes(uint64_t offset, unsigned char* destination, uint64_t length,
                             bool reverse) const {
    if (!owner || !destination || length == 0) {
        return 0;
    }
    const uint64_t got = owner->ReadData(offset, destination, length);
    if (reverse && bigEndian == 1 && got > 1) {
        std::reverse(destination, destination + got);
    }
    return got;
}

uint64_t CKvrVMan::WriteBytes(uint64_t offset, const unsigned char* source, uint64_t length) {
    return owner && source ? owner->WriteData(offset, source, length, 1, 0) : 0;
}

int CKvrVMan::InsertBytes(uint64_t offset, const unsigned char* source, uint64_t count) {
    return owner && source ? owner->InsertData(offset, source, count, 1, 0) : 0;
}

int CKvrVMan::DeleteBytes(uint64_t offset, uint64_t count) {
    return owner ? owner->DeleteData(offset, count, 1, 0) : 0;
}

uint64_t CKvrVMan::DataSize() const {
    return owner ? owner->GetDataSize() : 0;
}

uint64_t CKvrVMan::CursorOffset() const {
    return owner ? owner->Pane(owner->CurrentPane()).cursor : 0;
}

bool CKvrVMan::AddMark(uint64_t offset) {
    return owner ? owner->AddMark(offset) : false;
}
