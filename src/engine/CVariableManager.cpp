#include "engine/CVariableManager.h"

#include "engine/ScriptValue.h"
#include "platform/CodePage932.h"

#include <cstring>
#include <new>
#include <typeinfo>
#include <unordered_set>

namespace {

struct BaseType {
    const char* name;
    int64_t size;
};

// The base type table; the type number is the position + 1.
const BaseType kBaseTypes[] = {
    {"char", 1},          {"unsigned char", 1}, {"short", 2},        {"unsigned short", 2}, {"long", 4},
    {"unsigned long", 4}, {"int", 4},           {"unsigned int", 4}, {"unsigned", 4},       {"float", 4},
    {"double", 8},        {"string", 8},        {"void", 0},
};

bool EndsWithStar(const std::string& s) {
    return !s.empty() && s.back() == '*';
}

std::string WithoutStar(const std::string& s) {
    return EndsWithStar(s) ? s.substr(0, s.size() - 1) : s;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int64_t MaxOne(int64_t count) {
    return count < 1 ? 1 : count;
}

// Records kept for reuse at most.
constexpr size_t kRecordPoolSize = 256;

// The kind a read of a variable of this (typedef-resolved) type gives: the base kinds by name, a pointer for
// a pointer to a base type (whose name no typedef can change), KindNone for structs and pointers to them.
int32_t KindOfStoredType(const std::string& type) {
    int32_t kind = KindOfTypeName(type);
    if (kind == KindPointer) {
        int32_t pointed = KindOfTypeName(type.substr(0, type.size() - 1));
        return pointed >= KindChar && pointed <= KindString ? KindPointer : KindNone;
    }
    return kind == KindVoid ? KindNone : kind;
}

// The bytes a double becomes when stored as a value of the named type (SetNumber): the low bytes of a 32-bit
// or 64-bit signed intermediate, or the floating value. 0 when the type takes no number.
int NumberBytes(const std::string& type, double x, uint8_t out[8]) {
    static const struct {
        const char* name;
        int size;
        int wide; // 0: 32-bit signed intermediate, 1: 64-bit signed intermediate
    } integers[] = {
        {"char", 1, 0},           {"unsigned char", 1, 1}, {"short", 2, 0},
        {"unsigned short", 2, 1}, {"long", 4, 0},          {"int", 4, 0},
        {"unsigned long", 4, 1},  {"unsigned int", 4, 1},  {"unsigned", 4, 1},
    };
    std::memset(out, 0, 8);
    for (const auto& t : integers) {
        if (type == t.name) {
            int64_t v = t.wide ? TruncateToInt64(x) : TruncateToInt32(x);
            uint64_t bits = static_cast<uint64_t>(v);
            std::memcpy(out, &bits, static_cast<size_t>(t.size));
            return t.size;
        }
    }
    if (type == "float") {
        float f = static_cast<float>(x);
        std::memcpy(out, &f, 4);
        return 4;
    }
    if (type == "double") {
        std::memcpy(out, &x, 8);
        return 8;
    }
    if (EndsWithStar(type)) {
        int64_t v = TruncateToInt64(x);
        std::memcpy(out, &v, 8);
        return 8;
    }
    return 0;
}

} // namespace

CVariableManager::CVariableManager() {
    ResetTypes();
}

CVariableManager::~CVariableManager() {
    delete[] memory;
}

// ---- types and typedefs ----

void CVariableManager::ResetTypes() {
    static const char* names[] = {"char",           "short",         "long",         "int",
                                  "unsigned",       "float",         "double",       "unsigned char",
                                  "unsigned short", "unsigned long", "unsigned int", "string"};
    ++typesVersion;
    typedefNames.clear();
    typedefTargets.clear();
    typedefIndex.clear();
    for (int star = 0; star < 2; ++star) {
        for (const char* n : names) {
            std::string name = std::string(n) + (star ? "*" : "");
            typedefIndex[name] = typedefNames.size();
            typedefNames.push_back(name);
            typedefTargets.emplace_back();
        }
    }
}

int CVariableManager::AddTypedef(const std::string& name, const std::string& target) {
    if (name.empty() || typedefIndex.count(name)) {
        return 0;
    }
    auto t = typedefIndex.find(target);
    if (t == typedefIndex.end()) {
        return 0;
    }
    const std::string& targetsTarget = typedefTargets[t->second];
    std::string stored = targetsTarget.empty() ? target : targetsTarget;
    ++typesVersion;
    typedefIndex[name] = typedefNames.size();
    typedefNames.push_back(name);
    typedefTargets.push_back(stored);
    return 1;
}

bool CVariableManager::TypedefTarget(const std::string& name, std::string& target) const {
    auto t = typedefIndex.find(name);
    if (t == typedefIndex.end()) {
        return false;
    }
    target = typedefTargets[t->second];
    return true;
}

std::string CVariableManager::ResolveTypedef(const std::string& type) const {
    bool pointer = EndsWithStar(type);
    std::string base = WithoutStar(type);
    std::string target;
    if (TypedefTarget(base, target) && !target.empty()) {
        if (pointer) {
            // A pointer to a typedef of a pointer has no meaning (one level of "*" only); keep the name.
            return EndsWithStar(target) ? type : target + "*";
        }
        return target;
    }
    return type;
}

int64_t CVariableManager::BaseTypeSize(const std::string& type, int32_t* typeNumber) const {
    bool pointer = false;
    std::string name = type;
    if (EndsWithStar(name)) {
        name.pop_back();
        pointer = true;
    }
    std::string target;
    if (TypedefTarget(name, target) && !target.empty()) {
        name = target;
        if (EndsWithStar(name)) {
            name.pop_back();
            pointer = true;
        }
    }
    static const std::unordered_map<std::string, size_t> index = [] {
        std::unordered_map<std::string, size_t> m;
        for (size_t i = 0; i < sizeof kBaseTypes / sizeof kBaseTypes[0]; ++i) {
            m[kBaseTypes[i].name] = i;
        }
        return m;
    }();
    auto found = index.find(name);
    if (found != index.end()) {
        size_t i = found->second;
        {
            int64_t size = kBaseTypes[i].size;
            int32_t number = static_cast<int32_t>(i + 1);
            if (pointer && size > 0) {
                size = 8;
                number = 14;
            }
            if (typeNumber) {
                *typeNumber = number;
            }
            return size;
        }
    }
    return -1;
}

int CVariableManager::RegisterStruct(const std::string& name) {
    std::string target;
    if (name.empty() || FindStruct(name) || TypedefTarget(name, target) || BaseTypeSize(name) >= 0) {
        return 0;
    }
    auto s = std::make_unique<StructRecord>();
    s->name = name;
    ++typesVersion;
    structIndex[name] = s.get();
    structs.push_back(std::move(s));
    return 1;
}

StructRecord* CVariableManager::FindStruct(const std::string& name) const {
    auto s = structIndex.find(name);
    return s == structIndex.end() ? nullptr : s->second;
}

int CVariableManager::AddStructMember(const std::string& structName, const std::string& type,
                                      const std::string& member, int64_t count) {
    StructRecord* s = FindStruct(structName);
    if (!s || type == s->name || member.empty() || count < 0) {
        return 0;
    }
    std::string resolved = ResolveTypedef(type);
    if (resolved.empty()) {
        return 0;
    }
    int64_t size = BaseTypeSize(resolved);
    if (size < 0) {
        size = StructSize(resolved);
    }
    if (size <= 0 || count > UINT32_MAX) {
        return 0;
    }
    int64_t n = MaxOne(count);
    if (size > kMaxTypeSize / n || s->totalSize > kMaxTypeSize - size * n) {
        return 0;
    }
    int32_t nesting = NestingOf(resolved) + 1;
    if (nesting > kMaxStructNesting) {
        return 0;
    }
    int64_t slots = StringSlotsOf(resolved);
    if (slots > 0 && (slots > kMaxStringSlots / n || s->stringSlots + slots * n > kMaxStringSlots)) {
        return 0;
    }
    s->totalSize += size * n;
    s->stringSlots += slots * n;
    if (nesting > s->nesting) {
        s->nesting = nesting;
    }
    s->memberNames.push_back(member);
    s->memberTypes.push_back(resolved);
    s->memberCounts.push_back(static_cast<uint32_t>(count));
    ++typesVersion;
    return 1;
}

int64_t CVariableManager::StructSize(const std::string& type) const {
    bool pointer = EndsWithStar(type);
    StructRecord* s = FindStruct(WithoutStar(type));
    if (!s) {
        return -1;
    }
    return pointer && s->totalSize > 0 ? 8 : s->totalSize;
}

int64_t CVariableManager::MemberOffset(const std::string& structName, const std::string& member) const {
    StructRecord* s = FindStruct(structName);
    if (!s) {
        return -1;
    }
    int64_t offset = 0;
    for (size_t i = 0; i < s->memberNames.size(); ++i) {
        if (s->memberNames[i] == member) {
            return offset;
        }
        int64_t size = TypeSize(s->memberTypes[i]);
        if (size <= 0) {
            return -1;
        }
        offset += size * MaxOne(s->memberCounts[i]);
    }
    return -1;
}

std::string CVariableManager::MemberType(const std::string& structName, const std::string& member) const {
    int i = MemberIndex(structName, member);
    return i < 0 ? std::string() : FindStruct(structName)->memberTypes[static_cast<size_t>(i)];
}

int CVariableManager::MemberIndex(const std::string& structName, const std::string& member) const {
    StructRecord* s = FindStruct(structName);
    if (!s) {
        return -1;
    }
    for (size_t i = 0; i < s->memberNames.size(); ++i) {
        if (s->memberNames[i] == member) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int64_t CVariableManager::TypeSize(const std::string& type) const {
    if (type.empty()) {
        return -1;
    }
    int64_t size = BaseTypeSize(type);
    return size >= 0 ? size : StructSize(type);
}

int64_t CVariableManager::LeafTypeSize(const std::string& type) const {
    int64_t size = BaseTypeSize(type);
    if (size > 0) {
        return size;
    }
    if (EndsWithStar(type) && StructSize(type) == 8) {
        return 8;
    }
    return -1;
}

void CVariableManager::ClearStructs() {
    structs.clear();
    structIndex.clear();
    ++typesVersion;
}

void CVariableManager::ClearStructsNotInUse() {
    std::unordered_set<std::string> used;
    std::vector<const StructRecord*> pending;
    auto use = [&](const std::string& type) {
        StructRecord* s = FindStruct(WithoutStar(type));
        if (s && used.insert(s->name).second) {
            pending.push_back(s);
        }
    };
    for (const auto& v : variables) {
        use(v->typeName);
    }
    while (!pending.empty()) {
        const StructRecord* s = pending.back();
        pending.pop_back();
        for (const std::string& memberType : s->memberTypes) {
            use(memberType);
        }
    }
    std::vector<std::unique_ptr<StructRecord>> kept;
    structIndex.clear();
    for (auto& s : structs) {
        if (used.count(s->name)) {
            structIndex[s->name] = s.get();
            kept.push_back(std::move(s));
        }
    }
    structs = std::move(kept);
    ++typesVersion;
}

int64_t CVariableManager::StringSlotsOf(const std::string& type) const {
    if (type == "string") {
        return 1;
    }
    StructRecord* s = EndsWithStar(type) ? nullptr : FindStruct(type);
    return s ? s->stringSlots : 0;
}

int32_t CVariableManager::NestingOf(const std::string& type) const {
    StructRecord* s = EndsWithStar(type) ? nullptr : FindStruct(type);
    return s ? s->nesting : 0;
}

// ---- variables ----

int64_t CVariableManager::Allocate(int64_t n) {
    // The block and the strings' bytes share one budget.
    if (n < 0 || n > MemoryLeft()) {
        return -1;
    }
    if (used + n > capacity) {
        int64_t more = used + n - capacity;
        int64_t newCapacity = capacity + (more > growth ? more : growth);
        uint8_t* grown = new (std::nothrow) uint8_t[static_cast<size_t>(newCapacity)];
        if (!grown) {
            return -1;
        }
        std::memset(grown, 0, static_cast<size_t>(newCapacity));
        if (memory) {
            std::memcpy(grown, memory, static_cast<size_t>(used));
        }
        delete[] memory;
        memory = grown;
        capacity = newCapacity;
    }
    int64_t at = used;
    used += n;
    return at;
}

int CVariableManager::RegisterVariable(const std::string& type, const std::string& name, int64_t count,
                                       int32_t flags, int32_t scope) {
    if (type.empty() || name.empty() || count < 0) {
        return 0;
    }
    if (scope < 0) {
        scope = scopeLevel;
    }
    const int32_t id = InternName(name);
    // A scope no variable was registered at holds none of this name either: the name's variables are not
    // searched (a recursive function's parameter shadows one variable of its name per call level).
    if (!ScopeEmpty(scope) && FindVariableById(id, scope)) {
        return 0;
    }
    const RegisteredType& info = RegisteredTypeOf(type);
    const int64_t elementSize = info.elementSize;
    if (elementSize <= 0) {
        return 0;
    }
    int64_t n = MaxOne(count);
    if (elementSize > memoryLimit / n) {
        return 0;
    }
    const std::string& stored = info.stored;
    const int64_t slots = info.stringIds;
    if (slots > 0 &&
        (slots > kMaxStringSlots / n || static_cast<int64_t>(strings.size()) > kMaxStringSlots - slots * n)) {
        return 0;
    }
    int64_t at = Allocate(elementSize * n);
    if (at < 0) {
        return 0;
    }
    std::unique_ptr<VariableRecord> v;
    if (recordPool.empty()) {
        v = std::make_unique<VariableRecord>();
    } else {
        v = std::move(recordPool.back());
        recordPool.pop_back();
    }
    // A reused record often held the same names (a function's parameters).
    if (v->typeName != stored) {
        v->typeName = stored;
    }
    if (v->name != name) {
        v->name = name;
    }
    v->count = count;
    v->elementSize = elementSize;
    v->storage = at;
    v->flags = flags;
    v->scope = scope;
    v->kind = info.kind;
    if (EndsWithStar(stored)) {
        int64_t null = -1;
        std::memcpy(memory + at, &null, 8);
    }
    // Only strings, and structs holding strings, have storage to initialise.
    if (slots > 0) {
        InitStorage(stored, at, count, 0);
    }
    v->nameId = id;
    v->shadowed = newestByName[static_cast<size_t>(id)];
    newestByName[static_cast<size_t>(id)] = static_cast<int32_t>(variables.size());
    variables.push_back(std::move(v));
    CountScope(scope, 1);
    ++visibility;
    return 1;
}

const CVariableManager::RegisteredType& CVariableManager::RegisteredTypeOf(const std::string& type) {
    if (registeredTypesVersion != typesVersion) {
        registeredTypes.clear();
        recentTypes.fill(RecentType());
        registeredTypesVersion = typesVersion;
    }
    // The same type names come again and again (a function's parameter types): the last few are looked at
    // before the table.
    RecentType& recent = recentTypes[(reinterpret_cast<uintptr_t>(&type) >> 4) % recentTypes.size()];
    if (recent.info && recent.name == type) {
        return *recent.info;
    }
    auto found = registeredTypes.find(type);
    if (found != registeredTypes.end()) {
        recent.name = type;
        recent.info = &found->second;
        return found->second;
    }
    RegisteredType info;
    info.elementSize = TypeSize(type);
    if (info.elementSize > 0) {
        info.stored = ResolveTypedef(type);
        info.stringIds = StringSlotsOf(info.stored);
        info.kind = KindOfStoredType(info.stored);
    }
    return registeredTypes.emplace(type, std::move(info)).first->second;
}

int32_t CVariableManager::NameId(const std::string& name) const {
    auto found = nameIds.find(name);
    return found == nameIds.end() ? -1 : found->second;
}

int32_t CVariableManager::InternName(const std::string& name) {
    RecentName& recent = recentNames[(reinterpret_cast<uintptr_t>(&name) >> 4) % recentNames.size()];
    if (recent.id >= 0 && recent.generation == nameGeneration && recent.name == name) {
        return recent.id;
    }
    auto found = nameIds.find(name);
    if (found != nameIds.end()) {
        recent.name = name;
        recent.id = found->second;
        recent.generation = nameGeneration;
        return found->second;
    }
    const auto id = static_cast<int32_t>(newestByName.size());
    nameIds.emplace(name, id);
    newestByName.push_back(-1);
    return id;
}

bool CVariableManager::DirectAccess() const {
    return typeid(*this) == typeid(CVariableManager);
}

void CVariableManager::InitStorage(const std::string& type, int64_t offset, int64_t count, int32_t nesting) {
    int64_t n = MaxOne(count);
    if (type == "string") {
        for (int64_t k = 0; k < n; ++k) {
            int64_t id = static_cast<int64_t>(strings.size());
            std::memcpy(memory + offset + k * 8, &id, 8);
            strings.emplace_back();
        }
        return;
    }
    StructRecord* s = EndsWithStar(type) ? nullptr : FindStruct(type);
    if (!s || s->stringSlots == 0 || nesting > kMaxStructNesting) {
        return;
    }
    for (int64_t k = 0; k < n; ++k) {
        int64_t memberOffset = 0;
        for (size_t m = 0; m < s->memberNames.size(); ++m) {
            const std::string& memberType = s->memberTypes[m];
            InitStorage(memberType, offset + memberOffset + k * s->totalSize, s->memberCounts[m],
                        nesting + 1);
            memberOffset += TypeSize(memberType) * MaxOne(s->memberCounts[m]);
        }
    }
}

void CVariableManager::DeleteLastVariable() {
    if (variables.empty()) {
        return;
    }
    VariableRecord& v = *variables.back();
    int64_t n = MaxOne(v.count);
    int64_t slots = StringSlotsOf(v.typeName) * n;
    if (slots > static_cast<int64_t>(strings.size())) {
        slots = static_cast<int64_t>(strings.size());
    }
    for (size_t k = strings.size() - static_cast<size_t>(slots); k < strings.size(); ++k) {
        stringBytes -= static_cast<int64_t>(strings[k].size());
    }
    strings.resize(strings.size() - static_cast<size_t>(slots));
    used -= v.elementSize * n;
    if (used < 0) {
        used = 0;
    }
    if (v.nameId >= 0 && static_cast<size_t>(v.nameId) < newestByName.size()) {
        newestByName[static_cast<size_t>(v.nameId)] = v.shadowed;
    }
    CountScope(v.scope, -1);
    ++visibility;
    // A few records are kept for the next registrations (a function call registers and deletes its parameters
    // each time).
    if (recordPool.size() < kRecordPoolSize) {
        recordPool.push_back(std::move(variables.back()));
    }
    variables.pop_back();
}

VariableRecord* CVariableManager::FindVariable(const std::string& name, int32_t scope) {
    return FindVariableById(NameId(name), scope);
}

int CVariableManager::SplitPath(const std::string& path, std::vector<std::string>& names,
                                std::vector<int64_t>& indices) {
    names.clear();
    indices.clear();
    std::string s;
    for (char c : path) {
        if (!IsBlank(c)) {
            s += c;
        }
    }
    std::string name;
    size_t i = 0;
    while (true) {
        if (i >= s.size()) {
            names.push_back(name);
            indices.push_back(0);
            break;
        }
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (CodePage932::IsLeadByte(c) && i + 1 < s.size()) {
            name += s.substr(i, 2);
            i += 2;
            continue;
        }
        if (c == '.') {
            names.push_back(name);
            indices.push_back(0);
            name.clear();
            ++i;
            continue;
        }
        if (c == '[') {
            size_t close = s.find(']', i + 1);
            if (close == std::string::npos || close == i + 1 || close - i - 1 > 18) {
                return 0;
            }
            int64_t index = 0;
            for (size_t k = i + 1; k < close; ++k) {
                if (s[k] < '0' || s[k] > '9') {
                    return 0;
                }
                index = index * 10 + (s[k] - '0');
            }
            names.push_back(name);
            indices.push_back(index);
            name.clear();
            i = close + 1;
            if (i < s.size() && s[i] == '.') {
                ++i;
            } else if (i >= s.size()) {
                break;
            }
            continue;
        }
        name += static_cast<char>(c);
        ++i;
    }
    return names.size() == indices.size() ? 1 : 0;
}

bool CVariableManager::ResolvePath(const std::vector<std::string>& names, const std::vector<int64_t>& indices,
                                   ResolvedPath& out) {
    if (names.empty() || names.size() != indices.size()) {
        return false;
    }
    VariableRecord* v = FindVariable(names[0], -1);
    if (!v || indices[0] < 0 || indices[0] >= MaxOne(v->count)) {
        return false;
    }
    int64_t offset = v->storage + indices[0] * v->elementSize;
    std::string type = v->typeName;
    for (size_t i = 1;; ++i) {
        bool last = i == names.size();
        int64_t leaf = LeafTypeSize(type);
        if (leaf > 0) {
            if (!last) {
                return false;
            }
            out.type = type;
            out.flags = v->flags;
            out.size = leaf;
            out.offset = offset;
            return true;
        }
        StructRecord* s = EndsWithStar(type) ? nullptr : FindStruct(type);
        if (!s) {
            return false;
        }
        if (last) {
            out.type = type;
            out.flags = v->flags;
            out.size = s->totalSize;
            out.offset = offset;
            return true;
        }
        int m = MemberIndex(type, names[i]);
        if (m < 0) {
            return false;
        }
        int64_t memberCount = s->memberCounts[static_cast<size_t>(m)];
        if (indices[i] < 0 || indices[i] >= MaxOne(memberCount)) {
            return false;
        }
        const std::string& memberType = s->memberTypes[static_cast<size_t>(m)];
        int64_t memberSize = TypeSize(memberType);
        int64_t memberOffset = MemberOffset(type, names[i]);
        if (memberSize <= 0 || memberOffset < 0) {
            return false;
        }
        offset += memberOffset + indices[i] * memberSize;
        type = memberType;
    }
}

std::string CVariableManager::GetVariableType(const std::string& path) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    if (!SplitPath(path, names, indices)) {
        return std::string();
    }
    return GetVariableTypeOfParts(names, indices);
}

std::string CVariableManager::GetVariableTypeOfParts(const std::vector<std::string>& names,
                                                     const std::vector<int64_t>& indices) {
    ResolvedPath r;
    if (!ResolvePath(names, indices, r)) {
        return std::string();
    }
    return ResolveTypedef(r.type);
}

int64_t CVariableManager::ReadVariable(const std::string& path, void* buffer, int64_t bufferSize) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    if (!SplitPath(path, names, indices)) {
        return 0;
    }
    return ReadVariableOfParts(names, indices, buffer, bufferSize);
}

int64_t CVariableManager::ReadVariableOfParts(const std::vector<std::string>& names,
                                              const std::vector<int64_t>& indices, void* buffer,
                                              int64_t bufferSize) {
    ResolvedPath r;
    if (!ResolvePath(names, indices, r) || r.type == "string" || r.size > bufferSize || r.size <= 0) {
        return 0;
    }
    std::memcpy(buffer, memory + r.offset, static_cast<size_t>(r.size));
    return r.size;
}

bool CVariableManager::ReadString(const std::string& path, std::string& out) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    ResolvedPath r;
    if (!SplitPath(path, names, indices) || !ResolvePath(names, indices, r) || r.type != "string") {
        return false;
    }
    int64_t id = 0;
    std::memcpy(&id, memory + r.offset, 8);
    return GetString(id, out);
}

int CVariableManager::SetString(const std::string& path, const std::string& text) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    ResolvedPath r;
    if (!SplitPath(path, names, indices) || !ResolvePath(names, indices, r) || r.type != "string") {
        return 0;
    }
    if ((r.flags & 1) && !writeOverride) {
        return 0;
    }
    int64_t id = 0;
    std::memcpy(&id, memory + r.offset, 8);
    return SetStringById(id, text);
}

int64_t CVariableManager::SetNumber(const std::string& path, double x) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    if (!SplitPath(path, names, indices)) {
        return 0;
    }
    std::string type = GetVariableTypeOfParts(names, indices);
    if (type == "string" || LeafTypeSize(type) <= 0) {
        return 0;
    }
    ResolvedPath r;
    if (!ResolvePath(names, indices, r)) {
        return 0;
    }
    uint8_t bytes[8];
    int size = NumberBytes(type, x, bytes);
    if (size == 0 || r.size < size || ((r.flags & 1) && !writeOverride)) {
        return 0;
    }
    std::memset(memory + r.offset, 0, static_cast<size_t>(r.size));
    std::memcpy(memory + r.offset, bytes, static_cast<size_t>(size));
    return size;
}

int64_t CVariableManager::StoreNumberAt(const VariableRecord& v, int64_t offset, double x) {
    // The conversions of SetNumber, chosen by the kind the type name gives.
    int size = 0;
    uint8_t bytes[8] = {};
    switch (v.kind) {
    case KindChar:
    case KindShort:
    case KindInt: {
        size = v.kind == KindChar ? 1 : v.kind == KindShort ? 2 : 4;
        const auto bits = static_cast<uint64_t>(static_cast<int64_t>(TruncateToInt32(x)));
        std::memcpy(bytes, &bits, static_cast<size_t>(size));
        break;
    }
    case KindUChar:
    case KindUShort:
    case KindUInt:
    case KindPointer: {
        size = v.kind == KindUChar ? 1 : v.kind == KindUShort ? 2 : v.kind == KindUInt ? 4 : 8;
        const auto bits = static_cast<uint64_t>(TruncateToInt64(x));
        std::memcpy(bytes, &bits, static_cast<size_t>(size));
        break;
    }
    case KindFloat: {
        size = 4;
        const auto f = static_cast<float>(x);
        std::memcpy(bytes, &f, 4);
        break;
    }
    case KindDouble:
        size = 8;
        std::memcpy(bytes, &x, 8);
        break;
    default:
        return 0;
    }
    if (offset < 0 || v.elementSize < size || ((v.flags & 1) && !writeOverride)) {
        return 0;
    }
    std::memset(memory + offset, 0, static_cast<size_t>(v.elementSize));
    std::memcpy(memory + offset, bytes, static_cast<size_t>(size));
    return size;
}

int CVariableManager::StoreStringAt(const VariableRecord& v, int64_t offset, const std::string& text) {
    if (v.kind != KindString || offset < 0 || ((v.flags & 1) && !writeOverride)) {
        return 0;
    }
    int64_t id = 0;
    std::memcpy(&id, memory + offset, 8);
    return SetStringById(id, text);
}

bool CVariableManager::StringAt(int64_t offset, std::string& out) const {
    if (offset < 0 || offset > used - 8) {
        return false;
    }
    int64_t id = 0;
    std::memcpy(&id, memory + offset, 8);
    return GetString(id, out);
}

int CVariableManager::SetStringThroughPointer(const std::string& path, const std::string& text) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    ResolvedPath r;
    if (!SplitPath(path, names, indices) || !ResolvePath(names, indices, r) ||
        ResolveTypedef(r.type) != "string*") {
        return 0;
    }
    int64_t target = 0;
    std::memcpy(&target, memory + r.offset, 8);
    if (target < 0 || target > used - 8) {
        return 0;
    }
    int64_t id = 0;
    std::memcpy(&id, memory + target, 8);
    return SetStringById(id, text);
}

int64_t CVariableManager::SetNumberThroughPointer(const std::string& path, double x) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    if (!SplitPath(path, names, indices)) {
        return 0;
    }
    std::string type = GetVariableTypeOfParts(names, indices);
    ResolvedPath r;
    if (!EndsWithStar(type) || !ResolvePath(names, indices, r) || r.size < 8) {
        return 0;
    }
    std::string pointed = WithoutStar(type);
    if (pointed == "string" || pointed == "void" || BaseTypeSize(pointed) <= 0) {
        return 0;
    }
    uint8_t bytes[8];
    int size = NumberBytes(pointed, x, bytes);
    if (size == 0) {
        return 0;
    }
    int64_t target = 0;
    std::memcpy(&target, memory + r.offset, 8);
    if (target < 0 || target > used - size) {
        return 0;
    }
    std::memcpy(memory + target, bytes, static_cast<size_t>(size));
    return size;
}

int64_t CVariableManager::AddressOf(const std::string& path) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    ResolvedPath r;
    if (!SplitPath(path, names, indices) || !ResolvePath(names, indices, r)) {
        return -1;
    }
    return r.offset;
}

bool CVariableManager::GetString(int64_t id, std::string& out) const {
    if (id < 0 || id >= static_cast<int64_t>(strings.size())) {
        return false;
    }
    out = strings[static_cast<size_t>(id)];
    return true;
}

int CVariableManager::SetStringById(int64_t id, const std::string& text) {
    if (id < 0 || id >= static_cast<int64_t>(strings.size())) {
        return 0;
    }
    std::string& stored = strings[static_cast<size_t>(id)];
    const auto oldSize = static_cast<int64_t>(stored.size());
    const auto newSize = static_cast<int64_t>(text.size());
    // A longer text must fit in what the budget has left; the old text stays when it does not.
    if (newSize > oldSize && newSize - oldSize > MemoryLeft()) {
        return 0;
    }
    try {
        stored = text;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    stringBytes += newSize - oldSize;
    return 1;
}

int64_t CVariableManager::MemoryLeft() const {
    const int64_t taken = used + stringBytes;
    return taken >= memoryLimit ? 0 : memoryLimit - taken;
}

int32_t CVariableManager::EnterScope() {
    return ++scopeLevel;
}

void CVariableManager::LeaveScope() {
    --scopeLevel;
    while (!variables.empty() && variables.back()->scope > scopeLevel) {
        DeleteLastVariable();
    }
}

void CVariableManager::PushFrame() {
    ++visibility;
    frameStack.push_back(frameBase);
    frameBase = scopeLevel;
}

void CVariableManager::PopFrame() {
    if (!frameStack.empty()) {
        ++visibility;
        frameBase = frameStack.back();
        frameStack.pop_back();
    }
}

void CVariableManager::ClearVariables() {
    delete[] memory;
    memory = nullptr;
    capacity = 0;
    used = 0;
    variables.clear();
    scopeCounts.clear();
    recordPool.clear();
    nameIds.clear();
    newestByName.clear();
    ++nameGeneration;
    ++visibility;
}
