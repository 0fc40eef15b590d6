#pragma once

#include <cstdint>
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
    void SetMemoryLimit(int64_t bytes) { memoryLimit = bytes; }

    // The size of a type that a path may end at: a base type's size, or 8 for a pointer to a struct.
    int64_t LeafTypeSize(const std::string& type) const;

protected:
    // Hands out n zero-or-reused bytes at the top of the stack-ordered block, growing it when needed; -1 when
    // memory cannot be obtained (nothing changes then).
    int64_t Allocate(int64_t n);

private:
    void InitStorage(const std::string& type, int64_t offset, int64_t count, int32_t nesting);
    int64_t StringSlotsOf(const std::string& type) const;
    int32_t NestingOf(const std::string& type) const;
    std::string ResolveTypedef(const std::string& type) const;

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
    std::unordered_map<std::string, std::vector<size_t>> variableIndex;

    std::vector<std::string> strings;
    int32_t scopeLevel = 0;
    int32_t frameBase = 0;
    std::vector<int32_t> frameStack;
    int32_t writeOverride = 0;
};
