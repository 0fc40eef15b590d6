#pragma once

#include "engine/ScriptValue.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A variable of the registry. Its storage is an offset into the registry's memory block, so it stays valid
// when the block moves.
struct VariableRecord {
    std::string typeName; // as declared, a typedef name replaced by its target
    std::string name;
    int64_t count = 0;       // array length; 0 for a scalar
    int64_t elementSize = 0; // TypeSize of the type
    int64_t storage = 0;     // offset of the first element in the memory block
    int32_t flags = 0;       // bit 0: read-only
    int32_t scope = 0;
    // The kind a read of one element gives (ValueKind): the base kinds, string, and pointer for a pointer to
    // a base type; KindNone (11) for a struct or a pointer to one, which are read through their paths.
    int32_t kind = 11;
    int32_t nameId = -1;   // the interned name (CVariableManager::NameId)
    int32_t shadowed = -1; // index of the next older variable of the same name, -1 when none
};

// A packed struct type: members in declaration order, no alignment or padding.
struct StructRecord {
    int64_t totalSize = 0;
    std::string name;
    std::vector<std::string> memberNames;
    std::vector<std::string> memberTypes; // typedef names replaced by their targets
    std::vector<uint32_t> memberCounts;   // 0 for a scalar member
    int64_t stringSlots = 0;              // string ids one element of the struct holds
    int32_t nesting = 1;                  // depth of nested struct members, bounded by kMaxStructNesting
};

// What a variable path denotes.
struct ResolvedPath {
    std::string type;
    int32_t flags = 0;
    int64_t size = 0;
    int64_t offset = 0; // in the memory block
};

// The script engine's registry of base types, typedefs, structs, variables and strings. No
// operation raises an engine error itself: each returns 0, -1, an empty name or false, and the caller picks
// the code.
class CVariableManager {
public:
    // Bounds that keep a hostile script from exhausting memory or the stack; exceeding one makes the
    // registration fail like any other refused registration.
    static constexpr int64_t kDefaultMemoryLimit = 256LL * 1024 * 1024;
    static constexpr int64_t kMaxStringSlots = 4 * 1024 * 1024;
    static constexpr int32_t kMaxStructNesting = 64;
    static constexpr int64_t kMaxTypeSize = 1LL << 40;

    CVariableManager();
    virtual ~CVariableManager();

    CVariableManager(const CVariableManager&) = delete;
    CVariableManager& operator=(const CVariableManager&) = delete;

    // The operations the binding (CKvrVMan) overrides, in the order of the virtual table.
    virtual int RegisterVariable(const std::string& type, const std::string& name, int64_t count,
                                 int32_t flags, int32_t scope);
    virtual std::string GetVariableType(const std::string& path);
    virtual std::string GetVariableTypeOfParts(const std::vector<std::string>& names,
                                               const std::vector<int64_t>& indices);
    virtual int64_t ReadVariable(const std::string& path, void* buffer, int64_t bufferSize);
    virtual int64_t ReadVariableOfParts(const std::vector<std::string>& names,
                                        const std::vector<int64_t>& indices, void* buffer,
                                        int64_t bufferSize);

    // Types and typedefs.
    void ResetTypes();
    int AddTypedef(const std::string& name, const std::string& target);
    // False when the name is not in the typedef table; the target is empty for a base name.
    bool TypedefTarget(const std::string& name, std::string& target) const;
    int64_t BaseTypeSize(const std::string& type, int32_t* typeNumber = nullptr) const;
    int RegisterStruct(const std::string& name);
    StructRecord* FindStruct(const std::string& name) const;
    int AddStructMember(const std::string& structName, const std::string& type, const std::string& member,
                        int64_t count);
    int64_t StructSize(const std::string& type) const;
    int64_t MemberOffset(const std::string& structName, const std::string& member) const;
    std::string MemberType(const std::string& structName, const std::string& member) const;
    int MemberIndex(const std::string& structName, const std::string& member) const;
    int64_t TypeSize(const std::string& type) const;
    void ClearStructs();
    // Removes the structs that no variable uses, neither as its type (or the type it points to) nor through
    // the members of a struct it uses; the kept structs stay in their order. A variable therefore never
    // outlives the layout its storage was sized for.
    void ClearStructsNotInUse();

    // Variables.
    VariableRecord* FindVariable(const std::string& name, int32_t scope);
    // The same by interned name: a negative scope finds the newest variable visible from the current frame.
    VariableRecord* FindVariableById(int32_t nameId, int32_t scope) {
        if (nameId < 0 || static_cast<size_t>(nameId) >= newestByName.size()) {
            return nullptr;
        }
        for (int32_t i = newestByName[static_cast<size_t>(nameId)]; i >= 0;) {
            VariableRecord* v = variables[static_cast<size_t>(i)].get();
            if (scope < 0 ? (v->scope == 0 || v->scope >= frameBase) : v->scope == scope) {
                return v;
            }
            i = v->shadowed;
        }
        return nullptr;
    }
    // Interned variable names: the id of a name (-1 when it was never interned), and the id that interns it.
    // Ids stay valid until ClearVariables, which starts a new generation of them.
    int32_t NameId(const std::string& name) const;
    int32_t InternName(const std::string& name);
    uint32_t NameGeneration() const { return nameGeneration; }
    // Counts every change of which variable a name finds (registrations, deletions, frames), so that a name
    // found once can be reused while the count stays.
    uint64_t Visibility() const { return visibility; }
    // Counts every change of the typedefs and structs, so that what was derived from them can be checked.
    uint32_t TypesVersion() const { return typesVersion; }
    // True when the variables of this registry may be read and written through their records (by the
    // compiled forms of expressions) with the same result as through the path operations. The base registry
    // answers true; a subclass that overrides the path operations answers false unless it says otherwise.
    virtual bool DirectAccess() const;
    // Element index of a variable with a kind (record.kind != KindNone): its offset in the memory block, or
    // -1 when the index is outside the variable.
    static int64_t ElementOffset(const VariableRecord& v, int64_t index) {
        int64_t n = v.count < 1 ? 1 : v.count;
        return index < 0 || index >= n ? -1 : v.storage + index * v.elementSize;
    }
    // SetNumber and SetString for an element found by ElementOffset; the same results.
    int64_t StoreNumberAt(const VariableRecord& v, int64_t offset, double x);
    // StoreNumberAt of an integer that a double holds exactly (the integer kinds' values always are).
    int64_t StoreIntegerAt(const VariableRecord& v, int64_t offset, int64_t x) {
        if (offset < 0 || ((v.flags & 1) && !writeOverride)) {
            return 0;
        }
        uint8_t* at = memory + offset;
        switch (v.kind) {
        case KindChar:
        case KindShort:
        case KindInt: {
            // Through a 32-bit signed intermediate: a value outside it gives the indefinite pattern.
            const int32_t t = x > INT32_MAX || x < INT32_MIN ? INT32_MIN : static_cast<int32_t>(x);
            const int size = v.kind == KindChar ? 1 : v.kind == KindShort ? 2 : 4;
            std::memcpy(at, &t, static_cast<size_t>(size));
            return size;
        }
        case KindUChar:
        case KindUShort:
        case KindUInt:
        case KindPointer: {
            const int size = v.kind == KindUChar ? 1 : v.kind == KindUShort ? 2 : v.kind == KindUInt ? 4 : 8;
            std::memcpy(at, &x, static_cast<size_t>(size));
            return size;
        }
        case KindFloat: {
            const auto f = static_cast<float>(static_cast<double>(x));
            std::memcpy(at, &f, 4);
            return 4;
        }
        case KindDouble: {
            const auto d = static_cast<double>(x);
            std::memcpy(at, &d, 8);
            return 8;
        }
        default:
            return 0;
        }
    }
    int StoreStringAt(const VariableRecord& v, int64_t offset, const std::string& text);
    bool StringAt(int64_t offset, std::string& out) const;
    static int SplitPath(const std::string& path, std::vector<std::string>& names,
                         std::vector<int64_t>& indices);
    bool ResolvePath(const std::vector<std::string>& names, const std::vector<int64_t>& indices,
                     ResolvedPath& out);
    bool ReadString(const std::string& path, std::string& out);
    int SetString(const std::string& path, const std::string& text);
    int64_t SetNumber(const std::string& path, double x);
    int SetStringThroughPointer(const std::string& path, const std::string& text);
    int64_t SetNumberThroughPointer(const std::string& path, double x);
    int64_t AddressOf(const std::string& path);
    uint8_t* MemoryBase() const { return memory; }
    int64_t MemoryUsed() const { return used; }
    // Bytes held by the texts of all strings; they count against the memory limit with the block.
    int64_t StringBytes() const { return stringBytes; }
    int64_t MemoryCapacity() const { return capacity; }
    bool GetString(int64_t id, std::string& out) const;
    int SetStringById(int64_t id, const std::string& text);
    int32_t EnterScope();
    void LeaveScope();
    void PushFrame();
    void PopFrame();
    int32_t ScopeLevel() const { return scopeLevel; }
    int32_t FrameBase() const { return frameBase; }
    void SetWriteOverride(int32_t flag) { writeOverride = flag; }
    void ClearVariables();
    void DeleteLastVariable();

    // Inspection, for dumps and tests.
    size_t VariableCount() const { return variables.size(); }
    const VariableRecord& VariableAt(size_t i) const { return *variables[i]; }
    size_t StringCount() const { return strings.size(); }
    size_t StructCount() const { return structs.size(); }
    size_t TypedefCount() const { return typedefNames.size(); }
    // The budget of the memory block and the strings' texts together: a registration or a string store that
    // would exceed it is refused.
    void SetMemoryLimit(int64_t bytes) { memoryLimit = bytes; }

    // The size of a type that a path may end at: a base type's size, or 8 for a pointer to a struct.
    int64_t LeafTypeSize(const std::string& type) const;

protected:
    // Hands out n zero-or-reused bytes at the top of the stack-ordered block, growing it when needed; -1 when
    // memory cannot be obtained (nothing changes then).
    int64_t Allocate(int64_t n);

private:
    // What a registration needs of a type name, found once per name while the types stay as they are.
    struct RegisteredType {
        int64_t elementSize = -1;
        std::string stored;    // the typedef-resolved name
        int64_t stringIds = 0; // string ids one element holds
        int32_t kind = 11;
    };
    const RegisteredType& RegisteredTypeOf(const std::string& type);
    void InitStorage(const std::string& type, int64_t offset, int64_t count, int32_t nesting);
    int64_t StringSlotsOf(const std::string& type) const;
    int32_t NestingOf(const std::string& type) const;
    std::string ResolveTypedef(const std::string& type) const;
    // What the memory limit still allows beyond the block and the strings.
    int64_t MemoryLeft() const;

    std::vector<std::string> typedefNames;
    std::vector<std::string> typedefTargets;
    std::unordered_map<std::string, size_t> typedefIndex;

    uint8_t* memory = nullptr;
    int64_t capacity = 0;
    int64_t used = 0;
    int64_t growth = 1024;
    int64_t memoryLimit = kDefaultMemoryLimit;

    std::vector<std::unique_ptr<StructRecord>> structs;
    std::unordered_map<std::string, StructRecord*> structIndex;
    std::vector<std::unique_ptr<VariableRecord>> variables;
    // Per scope level below kCountedScopes: how many variables are registered at it.
    static constexpr int32_t kCountedScopes = 1 << 16;
    std::vector<int32_t> scopeCounts;
    bool ScopeEmpty(int32_t scope) const {
        return scope >= 0 && scope < kCountedScopes &&
               (static_cast<size_t>(scope) >= scopeCounts.size() ||
                scopeCounts[static_cast<size_t>(scope)] == 0);
    }
    void CountScope(int32_t scope, int32_t change) {
        if (scope < 0 || scope >= kCountedScopes) {
            return;
        }
        if (static_cast<size_t>(scope) >= scopeCounts.size()) {
            scopeCounts.resize(static_cast<size_t>(scope) + 1, 0);
        }
        scopeCounts[static_cast<size_t>(scope)] += change;
    }
    // Records of deleted variables, reused by the next registrations.
    std::vector<std::unique_ptr<VariableRecord>> recordPool;
    std::unordered_map<std::string, int32_t> nameIds;
    std::vector<int32_t> newestByName; // per name id: index of the newest variable of that name, -1 none
    uint32_t nameGeneration = 0;
    uint32_t typesVersion = 0;
    uint64_t visibility = 0;
    std::unordered_map<std::string, RegisteredType> registeredTypes;
    uint32_t registeredTypesVersion = ~0u;
    // The names and type names asked for last, by where their string is (the content is compared too).
    struct RecentType {
        std::string name;
        const RegisteredType* info = nullptr;
    };
    struct RecentName {
        std::string name;
        int32_t id = -1;
        uint32_t generation = 0;
    };
    std::array<RecentType, 16> recentTypes;
    std::array<RecentName, 16> recentNames;

    std::vector<std::string> strings;
    int64_t stringBytes = 0;
    int32_t scopeLevel = 0;
    int32_t frameBase = 0;
    std::vector<int32_t> frameStack;
    int32_t writeOverride = 0;
};
