#include "engine/CVariableManager.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(CVariableManager, InitialTypedefTableHas24Entries) {
    CVariableManager vm;
    EXPECT_EQ(vm.TypedefCount(), 24u);
    std::string target = "x";
    EXPECT_TRUE(vm.TypedefTarget("string*", target));
    EXPECT_EQ(target, "");
    EXPECT_FALSE(vm.TypedefTarget("void", target));
}

TEST(CVariableManager, TypedefChainsPointAtABaseName) {
    CVariableManager vm;
    EXPECT_EQ(vm.AddTypedef("BYTE", "unsigned char"), 1);
    EXPECT_EQ(vm.AddTypedef("B2", "BYTE"), 1);
    std::string target;
    ASSERT_TRUE(vm.TypedefTarget("B2", target));
    EXPECT_EQ(target, "unsigned char");
    EXPECT_EQ(vm.AddTypedef("BYTE", "int"), 0);
    EXPECT_EQ(vm.AddTypedef("PI", "int*"), 1);
    EXPECT_EQ(vm.AddTypedef("PPI", "PI*"), 0);
    vm.RegisterStruct("S");
    vm.AddStructMember("S", "int", "a", 0);
    EXPECT_EQ(vm.AddTypedef("T", "S"), 0);
    ASSERT_EQ(vm.RegisterVariable("B2", "x", 0, 0, -1), 1);
    EXPECT_EQ(vm.VariableAt(0).typeName, "unsigned char");
}

TEST(CVariableManager, BaseTypeSizes) {
    CVariableManager vm;
    int32_t number = 0;
    EXPECT_EQ(vm.BaseTypeSize("unsigned short", &number), 2);
    EXPECT_EQ(number, 4);
    EXPECT_EQ(vm.BaseTypeSize("double*", &number), 8);
    EXPECT_EQ(number, 14);
    EXPECT_EQ(vm.BaseTypeSize("void", &number), 0);
    EXPECT_EQ(vm.BaseTypeSize("void*"), 0);
    EXPECT_EQ(vm.BaseTypeSize("string"), 8);
    EXPECT_EQ(vm.BaseTypeSize("int**"), -1);
    EXPECT_EQ(vm.TypeSize(""), -1);
    EXPECT_EQ(vm.TypeSize("nothing"), -1);
}

TEST(CVariableManager, StructsArePackedInDeclarationOrder) {
    CVariableManager vm;
    ASSERT_EQ(vm.RegisterStruct("S"), 1);
    EXPECT_EQ(vm.RegisterStruct("S"), 0);
    EXPECT_EQ(vm.RegisterStruct("int"), 0);
    ASSERT_EQ(vm.AddStructMember("S", "char", "c", 0), 1);
    ASSERT_EQ(vm.AddStructMember("S", "int", "i", 0), 1);
    ASSERT_EQ(vm.AddStructMember("S", "short", "s", 2), 1);
    EXPECT_EQ(vm.StructSize("S"), 9);
    EXPECT_EQ(vm.StructSize("S*"), 8);
    EXPECT_EQ(vm.TypeSize("S"), 9);
    EXPECT_EQ(vm.MemberOffset("S", "c"), 0);
    EXPECT_EQ(vm.MemberOffset("S", "i"), 1);
    EXPECT_EQ(vm.MemberOffset("S", "s"), 5);
    EXPECT_EQ(vm.MemberOffset("S", "zz"), -1);
    EXPECT_EQ(vm.MemberType("S", "s"), "short");
    EXPECT_EQ(vm.MemberIndex("S", "s"), 2);
    EXPECT_EQ(vm.AddStructMember("S", "S", "self", 0), 0);
    EXPECT_EQ(vm.AddStructMember("S", "S*", "next", 0), 1);
    EXPECT_EQ(vm.AddStructMember("S", "void", "v", 0), 0);
    EXPECT_EQ(vm.AddStructMember("Nope", "int", "a", 0), 0);
}

TEST(CVariableManager, StructNestingIsBounded) {
    CVariableManager vm;
    vm.RegisterStruct("S0");
    vm.AddStructMember("S0", "string", "s", 0);
    int level = 1;
    for (; level < 200; ++level) {
        std::string name = "S" + std::to_string(level);
        vm.RegisterStruct(name);
        if (!vm.AddStructMember(name, "S" + std::to_string(level - 1), "m", 0)) {
            break;
        }
    }
    EXPECT_EQ(level, CVariableManager::kMaxStructNesting);
    EXPECT_EQ(vm.RegisterVariable("S" + std::to_string(level - 1), "deep", 0, 0, -1), 1);
    EXPECT_EQ(vm.StringCount(), 1u);
}

TEST(CVariableManager, PathsResolveWithinBounds) {
    CVariableManager vm;
    ASSERT_EQ(vm.RegisterVariable("int", "a", 3, 0, -1), 1);
    ASSERT_EQ(vm.RegisterVariable("int", "x", 0, 0, -1), 1);
    EXPECT_EQ(vm.GetVariableType("a[0]"), "int");
    EXPECT_EQ(vm.GetVariableType("a[2]"), "int");
    EXPECT_EQ(vm.GetVariableType("a[3]"), "");
    EXPECT_EQ(vm.GetVariableType("x[0]"), "int");
    EXPECT_EQ(vm.GetVariableType("x[1]"), "");
    EXPECT_EQ(vm.GetVariableType("a[-1]"), "");
    EXPECT_EQ(vm.GetVariableType("a[1][2]"), "");
    EXPECT_EQ(vm.GetVariableType("a [ 1 ]"), "int");
    EXPECT_EQ(vm.AddressOf("a[2]"), 8);
    EXPECT_EQ(vm.AddressOf("x"), 12);
}

TEST(CVariableManager, SplitPath) {
    std::vector<std::string> names;
    std::vector<int64_t> indices;
    ASSERT_EQ(CVariableManager::SplitPath("s[2].m[1].n", names, indices), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"s", "m", "n"}));
    EXPECT_EQ(indices, (std::vector<int64_t>{2, 1, 0}));
    EXPECT_EQ(CVariableManager::SplitPath("a[x]", names, indices), 0);
    EXPECT_EQ(CVariableManager::SplitPath("a[", names, indices), 0);
    // A trail byte that looks like "[" stays part of the double-byte character.
    ASSERT_EQ(CVariableManager::SplitPath("\x83\x5B", names, indices), 1);
    EXPECT_EQ(names.size(), 1u);
}

TEST(CVariableManager, SetNumberConvertsByTheVariablesType) {
    CVariableManager vm;
    vm.RegisterVariable("char", "c", 0, 0, -1);
    vm.RegisterVariable("unsigned short", "us", 0, 0, -1);
    vm.RegisterVariable("int", "i", 0, 0, -1);
    vm.RegisterVariable("float", "f", 0, 0, -1);
    EXPECT_EQ(vm.SetNumber("c", 300), 1);
    EXPECT_EQ(static_cast<int8_t>(vm.MemoryBase()[0]), 44);
    EXPECT_EQ(vm.SetNumber("us", -1), 2);
    uint16_t us;
    std::memcpy(&us, vm.MemoryBase() + 1, 2);
    EXPECT_EQ(us, 65535);
    EXPECT_EQ(vm.SetNumber("i", 3.9), 4);
    int32_t i;
    std::memcpy(&i, vm.MemoryBase() + 3, 4);
    EXPECT_EQ(i, 3);
    EXPECT_EQ(vm.SetNumber("i", 1e30), 4);
    std::memcpy(&i, vm.MemoryBase() + 3, 4);
    EXPECT_EQ(i, INT32_MIN);
    EXPECT_EQ(vm.SetNumber("f", 0.5), 4);
    EXPECT_EQ(vm.SetNumber("nothing", 1), 0);
}

TEST(CVariableManager, ReadOnlyVariablesNeedTheWriteOverride) {
    CVariableManager vm;
    vm.RegisterVariable("int", "n", 0, 1, -1);
    vm.RegisterVariable("string", "s", 0, 1, -1);
    EXPECT_EQ(vm.SetNumber("n", 5), 0);
    EXPECT_EQ(vm.SetString("s", "x"), 0);
    vm.SetWriteOverride(1);
    EXPECT_EQ(vm.SetNumber("n", 5), 4);
    EXPECT_EQ(vm.SetString("s", "x"), 1);
    vm.SetWriteOverride(0);
    std::string text;
    ASSERT_TRUE(vm.ReadString("s", text));
    EXPECT_EQ(text, "x");
}

TEST(CVariableManager, PointersStartNullAndStoringThroughNullWritesNothing) {
    CVariableManager vm;
    vm.RegisterVariable("int*", "p", 0, 0, -1);
    int64_t offset = 0;
    std::memcpy(&offset, vm.MemoryBase(), 8);
    EXPECT_EQ(offset, -1);
    EXPECT_EQ(vm.SetNumberThroughPointer("p", 5), 0);
    vm.RegisterVariable("int", "x", 0, 0, -1);
    EXPECT_EQ(vm.SetNumber("p", 8), 8);
    EXPECT_EQ(vm.SetNumberThroughPointer("p", 7), 4);
    int32_t x;
    std::memcpy(&x, vm.MemoryBase() + 8, 4);
    EXPECT_EQ(x, 7);
    // A pointer past the used memory writes nothing.
    EXPECT_EQ(vm.SetNumber("p", 10), 8);
    EXPECT_EQ(vm.SetNumberThroughPointer("p", 7), 0);
}

TEST(CVariableManager, GrowingMemoryKeepsValuesAndOffsets) {
    CVariableManager vm;
    ASSERT_EQ(vm.RegisterVariable("int", "first", 0, 0, -1), 1);
    vm.SetNumber("first", 1234);
    ASSERT_EQ(vm.RegisterVariable("int*", "p", 0, 0, -1), 1);
    vm.SetNumber("p", static_cast<double>(vm.AddressOf("first")));
    int64_t capacity = vm.MemoryCapacity();
    EXPECT_EQ(capacity, 1024);
    const uint8_t* before = vm.MemoryBase();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(vm.RegisterVariable("double", "v" + std::to_string(i), 0, 0, -1), 1);
        vm.SetNumber("v" + std::to_string(i), i);
    }
    EXPECT_GT(vm.MemoryCapacity(), capacity);
    EXPECT_NE(vm.MemoryBase(), before);
    EXPECT_EQ(vm.SetNumberThroughPointer("p", 99), 4);
    int32_t first;
    std::memcpy(&first, vm.MemoryBase() + vm.AddressOf("first"), 4);
    EXPECT_EQ(first, 99);
    double last;
    std::memcpy(&last, vm.MemoryBase() + vm.AddressOf("v999"), 8);
    EXPECT_EQ(last, 999);
}

TEST(CVariableManager, MemoryLimitRefusesRegistrationAndKeepsTheRest) {
    CVariableManager vm;
    vm.SetMemoryLimit(4096);
    ASSERT_EQ(vm.RegisterVariable("int", "a", 0, 0, -1), 1);
    vm.SetNumber("a", 5);
    EXPECT_EQ(vm.RegisterVariable("char", "big", 5000, 0, -1), 0);
    EXPECT_EQ(vm.RegisterVariable("double", "huge", 1LL << 61, 0, -1), 0);
    EXPECT_EQ(vm.VariableCount(), 1u);
    EXPECT_EQ(vm.MemoryUsed(), 4);
    int32_t a;
    std::memcpy(&a, vm.MemoryBase(), 4);
    EXPECT_EQ(a, 5);
}

TEST(CVariableManager, ScopesShadowAndDeleteInStackOrder) {
    CVariableManager vm;
    ASSERT_EQ(vm.RegisterVariable("int", "x", 0, 0, -1), 1);
    EXPECT_EQ(vm.RegisterVariable("int", "x", 0, 0, -1), 0);
    vm.EnterScope();
    ASSERT_EQ(vm.RegisterVariable("int", "x", 0, 0, -1), 1);
    vm.RegisterVariable("string", "s1", 0, 0, -1);
    vm.RegisterVariable("string", "s2", 2, 0, -1);
    EXPECT_EQ(vm.FindVariable("x", -1)->scope, 1);
    EXPECT_EQ(vm.StringCount(), 3u);
    vm.LeaveScope();
    EXPECT_EQ(vm.StringCount(), 0u);
    EXPECT_EQ(vm.FindVariable("x", -1)->scope, 0);
    EXPECT_EQ(vm.MemoryUsed(), 4);
}

TEST(CVariableManager, FramesHideTheCallersBlockVariables) {
    CVariableManager vm;
    vm.RegisterVariable("int", "global", 0, 0, -1);
    vm.EnterScope();
    vm.RegisterVariable("int", "block", 0, 0, -1);
    vm.EnterScope();
    vm.PushFrame();
    EXPECT_EQ(vm.FindVariable("block", -1), nullptr);
    EXPECT_NE(vm.FindVariable("global", -1), nullptr);
    EXPECT_NE(vm.FindVariable("block", 1), nullptr);
    vm.PopFrame();
    vm.LeaveScope();
    EXPECT_NE(vm.FindVariable("block", -1), nullptr);
    vm.LeaveScope();
}

TEST(CVariableManager, StringIdsAndStringsThroughPointers) {
    CVariableManager vm;
    vm.RegisterVariable("string", "s", 0, 0, -1);
    vm.RegisterVariable("string*", "p", 0, 0, -1);
    EXPECT_EQ(vm.SetStringThroughPointer("p", "x"), 0);
    vm.SetNumber("p", static_cast<double>(vm.AddressOf("s")));
    EXPECT_EQ(vm.SetStringThroughPointer("p", "hello"), 1);
    std::string text;
    ASSERT_TRUE(vm.GetString(0, text));
    EXPECT_EQ(text, "hello");
    EXPECT_FALSE(vm.GetString(1, text));
    EXPECT_EQ(vm.SetStringById(5, "x"), 0);
    char buffer[8];
    EXPECT_EQ(vm.ReadVariable("s", buffer, 8), 0);
}

TEST(CVariableManager, ClearVariablesKeepsTypesAndStrings) {
    CVariableManager vm;
    vm.AddTypedef("BYTE", "unsigned char");
    vm.RegisterStruct("S");
    vm.AddStructMember("S", "int", "a", 0);
    vm.RegisterVariable("string", "s", 0, 0, -1);
    vm.ClearVariables();
    EXPECT_EQ(vm.VariableCount(), 0u);
    EXPECT_EQ(vm.MemoryUsed(), 0);
    EXPECT_EQ(vm.StringCount(), 1u);
    EXPECT_EQ(vm.TypeSize("BYTE"), 1);
    EXPECT_EQ(vm.TypeSize("S"), 4);
    vm.ClearStructs();
    EXPECT_EQ(vm.TypeSize("S"), -1);
}

} // namespace
