#include "binding/CKvrVMan.h"
#include "data/CDataStore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Declaration {
    const char* type;
    const char* name;
    int64_t count;
};

struct ExpectedRow {
    const char* name;
    uint64_t offset;
    uint64_t elements;
    uint64_t elementSize;
};

// Declares the symbols as a symbol file's "$" declarations would.
void Bind(CKvrVMan& vm, const std::vector<Declaration>& declarations) {
    vm.SetBindNext(1);
    for (const Declaration& d : declarations) {
        ASSERT_EQ(vm.RegisterVariable(d.type, d.name, d.count, 0, -1), 1) << d.name;
    }
    vm.SetBindNext(0);
}

// struct S { char x[20]; short y; };
void RegisterS(CKvrVMan& vm) {
    ASSERT_EQ(vm.RegisterStruct("S"), 1);
    ASSERT_EQ(vm.AddStructMember("S", "char", "x", 20), 1);
    ASSERT_EQ(vm.AddStructMember("S", "short", "y", 0), 1);
}

// struct P { short a; char b[3]; };  struct Q { char t; P p[2]; double d; };
void RegisterQ(CKvrVMan& vm) {
    ASSERT_EQ(vm.RegisterStruct("P"), 1);
    ASSERT_EQ(vm.AddStructMember("P", "short", "a", 0), 1);
    ASSERT_EQ(vm.AddStructMember("P", "char", "b", 3), 1);
    ASSERT_EQ(vm.RegisterStruct("Q"), 1);
    ASSERT_EQ(vm.AddStructMember("Q", "char", "t", 0), 1);
    ASSERT_EQ(vm.AddStructMember("Q", "P", "p", 2), 1);
    ASSERT_EQ(vm.AddStructMember("Q", "double", "d", 0), 1);
}

// Data whose byte i holds the value i.
void FillCounting(CDataStore& store, uint64_t size) {
    std::vector<unsigned char> bytes(size);
    for (uint64_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<unsigned char>(i);
    }
    ASSERT_EQ(store.InsertData(0, bytes.data(), size, 0, 0), 1);
}

struct LayoutCase {
    const char* label;
    bool withStructs;
    std::vector<Declaration> declarations;
    std::vector<ExpectedRow> rows;
    uint64_t nextOffset;
    uint64_t nameWidth;
};

class SymbolLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(SymbolLayout, RowsNamesOffsetsAndWidth) {
    const LayoutCase& c = GetParam();
    CKvrVMan vm;
    if (c.withStructs) {
        RegisterS(vm);
        RegisterQ(vm);
    }
    Bind(vm, c.declarations);
    EXPECT_EQ(vm.GetNextOffset(), c.nextOffset);
    EXPECT_EQ(vm.GetNameWidth(), c.nameWidth);
    ASSERT_EQ(vm.GetSymbolRows(), c.rows.size());
    for (size_t r = 0; r < c.rows.size(); ++r) {
        SymbolRow row;
        ASSERT_TRUE(vm.LookupRow(r, row)) << r;
        EXPECT_EQ(row.name, c.rows[r].name) << r;
        EXPECT_EQ(row.offset, c.rows[r].offset) << r;
        EXPECT_EQ(row.elements, c.rows[r].elements) << r;
        EXPECT_EQ(row.elementSize, c.rows[r].elementSize) << r;
    }
    SymbolRow none;
    EXPECT_FALSE(vm.LookupRow(c.rows.size(), none));
}

INSTANTIATE_TEST_SUITE_P(
    CKvrVMan, SymbolLayout,
    testing::Values(LayoutCase{"ScalarAndArray",
                               false,
                               {{"char", "a", 0}, {"short", "b", 3}},
                               {{"a", 0, 1, 1}, {"b[0]", 1, 3, 2}},
                               7,
                               4},
                    LayoutCase{"CharArrayOf100",
                               false,
                               {{"char", "d", 100}},
                               {{"d[0]", 0, 16, 1},
                                {"d[16]", 16, 16, 1},
                                {"d[32]", 32, 16, 1},
                                {"d[48]", 48, 16, 1},
                                {"d[64]", 64, 16, 1},
                                {"d[80]", 80, 16, 1},
                                {"d[96]", 96, 4, 1}},
                               100,
                               5},
                    LayoutCase{"DoubleArrayOf5",
                               false,
                               {{"double", "v", 5}},
                               {{"v[0]", 0, 2, 8}, {"v[2]", 16, 2, 8}, {"v[4]", 32, 1, 8}},
                               40,
                               4},
                    LayoutCase{"StructArray",
                               true,
                               {{"S", "s", 2}},
                               {{"s[0].x[0]", 0, 16, 1},
                                {"s[0].x[16]", 16, 4, 1},
                                {"s[0].y", 20, 1, 2},
                                {"s[1].x[0]", 22, 16, 1},
                                {"s[1].x[16]", 38, 4, 1},
                                {"s[1].y", 42, 1, 2}},
                               44,
                               10},
                    LayoutCase{"NestedStructScalar",
                               true,
                               {{"char", "pre", 0}, {"Q", "q", 0}},
                               {{"pre", 0, 1, 1},
                                {"q.t", 1, 1, 1},
                                {"q.p[0].a", 2, 1, 2},
                                {"q.p[0].b[0]", 4, 3, 1},
                                {"q.p[1].a", 7, 1, 2},
                                {"q.p[1].b[0]", 9, 3, 1},
                                {"q.d", 12, 1, 8}},
                               20,
                               11},
                    LayoutCase{"PointerIsAnEightByteBasicType",
                               true,
                               {{"S*", "ps", 3}, {"char*", "pc", 0}},
                               {{"ps[0]", 0, 2, 8}, {"ps[2]", 16, 1, 8}, {"pc", 24, 1, 8}},
                               32,
                               5}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.label); });

// Every byte of the declared range lies on the row RowOfOffset names, read in any order.
TEST(CKvrVMan, RowOfOffsetAgreesWithLookupRowForEveryByte) {
    CKvrVMan vm;
    RegisterS(vm);
    RegisterQ(vm);
    Bind(vm, {{"char", "a", 0}, {"S", "s", 2}, {"double", "v", 5}, {"Q", "q", 3}, {"char", "d", 100}});
    const uint64_t end = vm.GetNextOffset();
    ASSERT_EQ(end, 1u + 44 + 40 + 57 + 100);
    int64_t previous = 0;
    for (uint64_t back = 0; back < end; ++back) {
        const uint64_t a = end - 1 - back;
        const int64_t r = vm.RowOfOffset(a);
        ASSERT_GE(r, 0) << a;
        SymbolRow row;
        ASSERT_TRUE(vm.LookupRow(static_cast<uint64_t>(r), row)) << a;
        EXPECT_LE(row.offset, a) << a;
        EXPECT_LT(a, row.offset + row.elements * row.elementSize) << a;
        if (back > 0) {
            EXPECT_LE(r, previous) << a;
        }
        previous = r;
    }
    EXPECT_EQ(vm.RowOfOffset(end), -1);
    EXPECT_EQ(vm.RowOfOffset(end + 1000), -1);
}

TEST(CKvrVMan, RowOfOffsetCases) {
    CKvrVMan vm;
    RegisterS(vm);
    Bind(vm, {{"char", "a", 0}, {"short", "b", 3}, {"S", "s", 2}});
    const struct {
        uint64_t offset;
        int64_t row;
    } cases[] = {{0, 0},  {1, 1},  {6, 1},  {7, 2},  {22, 2}, {23, 3}, {26, 3},
                 {27, 4}, {28, 4}, {29, 5}, {45, 6}, {50, 7}, {51, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(vm.RowOfOffset(c.offset), c.row) << c.offset;
    }
}

// Rows looked up out of order (backwards, jumps) give what a fresh table gives row by row.
TEST(CKvrVMan, RowLookupIsIndependentOfTheOrderOfLookups) {
    CKvrVMan vm;
    RegisterS(vm);
    std::vector<Declaration> many;
    std::vector<std::string> names;
    names.reserve(300);
    for (int i = 0; i < 300; ++i) {
        names.push_back("f" + std::to_string(i));
    }
    for (int i = 0; i < 300; ++i) {
        static const char* types[] = {"char", "S", "double", "short"};
        many.push_back({types[i % 4], names[static_cast<size_t>(i)].c_str(), (i % 3) * 7});
    }
    Bind(vm, many);
    const uint64_t rows = vm.GetSymbolRows();
    std::vector<SymbolRow> forward(rows);
    for (uint64_t r = 0; r < rows; ++r) {
        ASSERT_TRUE(vm.LookupRow(r, forward[r]));
    }
    CKvrVMan fresh;
    RegisterS(fresh);
    Bind(fresh, many);
    uint64_t r = 0;
    for (uint64_t step = 0; step < 3 * rows; ++step) {
        r = (r * 7919 + 104729) % rows;
        SymbolRow row;
        ASSERT_TRUE(fresh.LookupRow(r, row));
        EXPECT_EQ(row.name, forward[r].name) << r;
        EXPECT_EQ(row.offset, forward[r].offset) << r;
        EXPECT_EQ(row.elements, forward[r].elements) << r;
    }
}

TEST(CKvrVMan, RecordsArePackedInDeclarationOrder) {
    CKvrVMan vm;
    Bind(vm, {{"char", "a", 0}, {"short", "b", 3}});
    ASSERT_EQ(vm.SymbolCount(), 2u);
    const CKvrVMan::Record a = vm.SymbolAt(0);
    const CKvrVMan::Record b = vm.SymbolAt(1);
    EXPECT_EQ(a.offset, 0u);
    EXPECT_EQ(a.previous, -1);
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(a.rows, 1u);
    EXPECT_EQ(a.recordLength, 44 + 4 + 1);
    EXPECT_EQ(a.type, "char");
    EXPECT_EQ(a.name, "a");
    EXPECT_EQ(b.offset, 1u);
    EXPECT_EQ(b.previous, 0);
    EXPECT_EQ(b.count, 3u);
    EXPECT_EQ(b.elementSize, 2u);
    EXPECT_EQ(b.recordLength, 44 + 5 + 1);
    EXPECT_EQ(b.type, "short");
    EXPECT_EQ(b.name, "b");
    EXPECT_EQ(vm.Length(), 49u + 50u);
    EXPECT_TRUE(vm.IsValid());
}

TEST(CKvrVMan, WithoutBindNextDeclarationsAreOrdinaryVariables) {
    CKvrVMan vm;
    ASSERT_EQ(vm.RegisterVariable("int", "x", 0, 0, -1), 1);
    EXPECT_EQ(vm.RegisterVariable("int", "x", 0, 0, -1), 0);
    EXPECT_EQ(vm.VariableCount(), 1u);
    EXPECT_EQ(vm.SymbolCount(), 0u);
    EXPECT_EQ(vm.GetNextOffset(), 0u);
    ASSERT_EQ(vm.SetNumber("x", 1234), 4);
    int32_t value = 0;
    EXPECT_EQ(vm.ReadVariable("x", &value, sizeof value), 4);
    EXPECT_EQ(value, 1234);
    SymbolRow row;
    EXPECT_FALSE(vm.LookupRow(0, row));
    EXPECT_EQ(vm.RowOfOffset(0), -1);
}

TEST(CKvrVMan, TypedefIsResolvedOneStep) {
    CKvrVMan vm;
    ASSERT_EQ(vm.AddTypedef("BYTE", "unsigned char"), 1);
    ASSERT_EQ(vm.AddTypedef("B2", "BYTE"), 1);
    Bind(vm, {{"B2", "b", 2}});
    EXPECT_EQ(vm.SymbolAt(0).type, "unsigned char");
    EXPECT_EQ(vm.GetVariableType("b[1]"), "unsigned char");
}

TEST(CKvrVMan, StringVariableSuppliesTheSymbolName) {
    CKvrVMan vm;
    ASSERT_EQ(vm.RegisterVariable("string", "nm", 0, 0, -1), 1);
    ASSERT_EQ(vm.SetString("nm", "header"), 1);
    Bind(vm, {{"int", "nm", 0}});
    EXPECT_EQ(vm.SymbolAt(0).name, "header");
    EXPECT_EQ(vm.GetVariableType("header"), "int");
    // A string variable holding nothing would give a nameless symbol: refused.
    ASSERT_EQ(vm.SetString("nm", ""), 1);
    vm.SetBindNext(1);
    EXPECT_EQ(vm.RegisterVariable("int", "nm", 0, 0, -1), 0);
}

TEST(CKvrVMan, RefusedDeclarationsLeaveTheTableUnchanged) {
    CKvrVMan vm;
    ASSERT_EQ(vm.RegisterStruct("Empty"), 1);
    Bind(vm, {{"short", "keep", 1}});
    const struct {
        const char* type;
        const char* name;
        int64_t count;
    } refused[] = {
        {"", "a", 0},
        {"int", "", 0},
        {"void", "v", 0},
        {"nosuch", "n", 0},
        {"int", "neg", -1},
        {"Empty", "e", 0},
        {"double", "huge", 1LL << 61},
    };
    vm.SetBindNext(1);
    for (const auto& r : refused) {
        EXPECT_EQ(vm.RegisterVariable(r.type, r.name, r.count, 0, -1), 0) << r.name;
    }
    EXPECT_EQ(vm.SymbolCount(), 1u);
    EXPECT_EQ(vm.GetNextOffset(), 2u);
    EXPECT_EQ(vm.GetSymbolRows(), 1u);
    EXPECT_EQ(vm.GetNameWidth(), 7u);
    EXPECT_EQ(vm.Length(), 44u + 5 + 4);
    EXPECT_EQ(vm.VariableCount(), 0u);
}

TEST(CKvrVMan, OffsetsBeyond32BitsAreStoredAndOverflowIsRefused) {
    CKvrVMan vm;
    const uint64_t big = 5000000000ULL;
    Bind(vm, {{"char", "big", static_cast<int64_t>(big)}, {"short", "after", 0}});
    EXPECT_EQ(vm.SymbolAt(1).offset, big);
    const uint64_t bigRows = (big + 15) / 16;
    EXPECT_EQ(vm.GetSymbolRows(), bigRows + 1);
    SymbolRow row;
    ASSERT_TRUE(vm.LookupRow(bigRows, row));
    EXPECT_EQ(row.name, "after");
    EXPECT_EQ(row.offset, big);
    ASSERT_TRUE(vm.LookupRow(bigRows - 1, row));
    EXPECT_EQ(row.offset, big - 16);
    EXPECT_EQ(vm.RowOfOffset(big), static_cast<int64_t>(bigRows));
    EXPECT_EQ(vm.RowOfOffset(big - 1), static_cast<int64_t>(bigRows - 1));
    vm.SetBindNext(1);
    EXPECT_EQ(vm.RegisterVariable("char", "c", INT64_MAX, 0, -1), 1);
    EXPECT_EQ(vm.RegisterVariable("char", "d", INT64_MAX, 0, -1), 0);
    EXPECT_EQ(vm.SymbolCount(), 3u);
}

// ---- path resolution and reads ----

struct PathCase {
    const char* path;
    const char* type; // "" when the path does not resolve
    std::vector<unsigned char> bytes;
};

TEST(CKvrVMan, PathResolutionOverTheData) {
    CDataStore store;
    FillCounting(store, 200);
    CKvrVMan vm;
    vm.SetOwner(&store);
    RegisterS(vm);
    RegisterQ(vm);
    Bind(vm, {{"S", "s", 2}, {"Q", "q", 0}});
    const PathCase cases[] = {
        {"s[1].x[3]", "char", {25}},
        {"s[1].y", "short", {42, 43}},
        {"s [1] . y", "short", {42, 43}},
        {" s[0]. x [19] ", "char", {19}},
        {"s.y", "short", {20, 21}},
        {"s[1]", "S", {22, 23, 24, 25}},
        {"q.p[1].b[2]", "char", {44 + 10}},
        {"q.d", "double", {55, 56, 57, 58, 59, 60, 61, 62}},
        {"q.p", "P", {45, 46, 47, 48, 49}},
        {"s[2].y", "", {}},
        {"s[i].y", "", {}},
        {"s[0].x[20]", "", {}},
        {"s[0].z", "", {}},
        {"s[0].y.z", "", {}},
        {"s[0].y[1]", "", {}},
        {"q.t[1]", "", {}},
        {"nosuch", "", {}},
        {"", "", {}},
        {"s[-1].y", "", {}},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(vm.GetVariableType(c.path), c.type) << c.path;
        unsigned char buffer[8];
        std::memset(buffer, 0xEE, sizeof buffer);
        const int64_t capacity =
            c.bytes.empty() ? 8 : static_cast<int64_t>(std::min<size_t>(c.bytes.size(), 8));
        const int64_t got = vm.ReadVariable(c.path, buffer, capacity);
        ASSERT_EQ(got, static_cast<int64_t>(c.bytes.size())) << c.path;
        EXPECT_EQ(std::vector<unsigned char>(buffer, buffer + got), c.bytes) << c.path;
    }
}

TEST(CKvrVMan, ReadVariableReadsOnlyTheElementAndReversesUnderBigEndian) {
    CDataStore store;
    FillCounting(store, 64);
    CKvrVMan vm;
    vm.SetOwner(&store);
    RegisterS(vm);
    Bind(vm, {{"char", "c", 0}, {"short", "h", 2}, {"S", "s", 0}});
    unsigned char buffer[32];
    // A whole struct fills as much of the buffer as it takes, no more.
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(vm.ReadVariable("s", buffer, sizeof buffer), 22);
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[21], 26);
    EXPECT_EQ(buffer[22], 0xEE);
    EXPECT_EQ(vm.ReadVariable("s", buffer, 3), 3);

    vm.SetBigEndian(1);
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(vm.ReadVariable("c", buffer, 8), 1);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0xEE);
    EXPECT_EQ(vm.ReadVariable("h[1]", buffer, 8), 2);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(buffer[1], 3);

    vm.SetBigEndian(0);
    EXPECT_EQ(vm.ReadVariable("h[1]", buffer, 8), 2);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[1], 4);
}

TEST(CKvrVMan, SameNameTwiceTheNewerWinsAndBothKeepTheirRows) {
    CDataStore store;
    FillCounting(store, 16);
    CKvrVMan vm;
    vm.SetOwner(&store);
    Bind(vm, {{"char", "a", 0}, {"short", "a", 0}, {"char", "z", 0}});
    EXPECT_EQ(vm.GetVariableType("a"), "short");
    unsigned char buffer[2] = {0, 0};
    EXPECT_EQ(vm.ReadVariable("a", buffer, 2), 2);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[1], 2);
    ASSERT_EQ(vm.GetSymbolRows(), 3u);
    SymbolRow row;
    ASSERT_TRUE(vm.LookupRow(0, row));
    EXPECT_EQ(row.name, "a");
    EXPECT_EQ(row.elementSize, 1u);
    ASSERT_TRUE(vm.LookupRow(1, row));
    EXPECT_EQ(row.name, "a");
    EXPECT_EQ(row.elementSize, 2u);
}

TEST(CKvrVMan, OrdinaryVariablesShadowSymbols) {
    CDataStore store;
    FillCounting(store, 16);
    CKvrVMan vm;
    vm.SetOwner(&store);
    Bind(vm, {{"short", "v", 0}});
    ASSERT_EQ(vm.RegisterVariable("int", "v", 0, 0, -1), 1);
    ASSERT_EQ(vm.SetNumber("v", 77), 4);
    EXPECT_EQ(vm.GetVariableType("v"), "int");
    int32_t value = 0;
    EXPECT_EQ(vm.ReadVariable("v", &value, 4), 4);
    EXPECT_EQ(value, 77);
}

TEST(CKvrVMan, SymbolsPastTheEndOfTheDataReadShort) {
    CDataStore store;
    FillCounting(store, 5);
    CKvrVMan vm;
    vm.SetOwner(&store);
    Bind(vm, {{"char", "a", 3}, {"int", "x", 0}, {"int", "y", 0}});
    unsigned char buffer[4];
    EXPECT_EQ(vm.ReadVariable("x", buffer, 4), 2);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[1], 4);
    EXPECT_EQ(vm.ReadVariable("y", buffer, 4), 0);
    EXPECT_EQ(vm.GetVariableType("y"), "int");
}

TEST(CKvrVMan, WithoutOwnerNothingIsReadOrChanged) {
    CKvrVMan vm;
    Bind(vm, {{"int", "x", 0}});
    unsigned char bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(vm.GetVariableType("x"), "int");
    EXPECT_EQ(vm.ReadVariable("x", bytes, 4), 0);
    EXPECT_EQ(vm.ReadBytes(0, bytes, 4, false), 0u);
    EXPECT_EQ(vm.WriteBytes(0, bytes, 4), 0u);
    EXPECT_EQ(vm.InsertBytes(0, bytes, 4), 0);
    EXPECT_EQ(vm.DeleteBytes(0, 1), 0);
    EXPECT_EQ(vm.DataSize(), 0u);
    EXPECT_EQ(vm.CursorOffset(), 0u);
    EXPECT_FALSE(vm.AddMark(0));
}

TEST(CKvrVMan, DataHelpersGoThroughTheStoreOneUndoStepEach) {
    CDataStore store;
    FillCounting(store, 8);
    CKvrVMan vm;
    vm.SetOwner(&store);
    const unsigned char ab[2] = {0xAA, 0xBB};
    EXPECT_EQ(vm.WriteBytes(1, ab, 2), 2u);
    EXPECT_EQ(vm.InsertBytes(0, ab, 2), 1);
    EXPECT_EQ(vm.DeleteBytes(9, 1), 1);
    EXPECT_EQ(vm.DataSize(), 9u);
    unsigned char out[4];
    EXPECT_EQ(vm.ReadBytes(0, out, 4, true), 4u);
    EXPECT_EQ(std::vector<unsigned char>(out, out + 4), (std::vector<unsigned char>{0xAA, 0xBB, 0, 0xAA}));
    vm.SetBigEndian(1);
    EXPECT_EQ(vm.ReadBytes(0, out, 4, false), 4u);
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(vm.ReadBytes(0, out, 4, true), 4u);
    EXPECT_EQ(std::vector<unsigned char>(out, out + 4), (std::vector<unsigned char>{0xAA, 0, 0xBB, 0xAA}));
    EXPECT_EQ(vm.ReadBytes(7, out, 4, true), 2u);
    EXPECT_EQ(out[0], 6);
    EXPECT_EQ(out[1], 5);

    // Three changes, three undo steps back to the original bytes.
    uint64_t last = 0;
    for (int step = 0; step < 3; ++step) {
        ASSERT_TRUE(store.Undo(last)) << step;
    }
    EXPECT_FALSE(store.CanUndo());
    EXPECT_EQ(vm.DataSize(), 8u);
    vm.SetBigEndian(0);
    EXPECT_EQ(vm.ReadBytes(0, out, 4, true), 4u);
    EXPECT_EQ(std::vector<unsigned char>(out, out + 4), (std::vector<unsigned char>{0, 1, 2, 3}));

    store.Pane(1).cursor = 5;
    store.SetCurrentPane(1);
    EXPECT_EQ(vm.CursorOffset(), 5u);
    store.SetCurrentPane(0);
    EXPECT_EQ(vm.CursorOffset(), store.Pane(0).cursor);
    EXPECT_TRUE(vm.AddMark(3));
    EXPECT_FALSE(vm.AddMark(3));
    EXPECT_EQ(store.Marks(), std::vector<uint32_t>{3});
}

// ---- life cycle ----

TEST(CKvrVMan, ResetClearsEverything) {
    CKvrVMan vm;
    RegisterS(vm);
    ASSERT_EQ(vm.AddTypedef("BYTE", "unsigned char"), 1);
    ASSERT_EQ(vm.RegisterVariable("S", "v", 0, 0, -1), 1);
    Bind(vm, {{"S", "s", 0}});
    vm.SetBigEndian(1);
    vm.Reset();
    EXPECT_EQ(vm.IsBigEndian(), 0);
    EXPECT_EQ(vm.SymbolCount(), 0u);
    EXPECT_EQ(vm.GetSymbolRows(), 0u);
    EXPECT_EQ(vm.GetNextOffset(), 0u);
    EXPECT_EQ(vm.GetNameWidth(), 0u);
    EXPECT_FALSE(vm.IsValid());
    EXPECT_EQ(vm.VariableCount(), 0u);
    EXPECT_EQ(vm.StructCount(), 0u);
    std::string target;
    EXPECT_FALSE(vm.TypedefTarget("BYTE", target));
    EXPECT_EQ(vm.TypedefCount(), 24u);
    EXPECT_EQ(vm.GetVariableType("s"), "");
    // A new table starts from offset 0 again.
    Bind(vm, {{"int", "n", 0}});
    EXPECT_EQ(vm.SymbolAt(0).offset, 0u);
    EXPECT_EQ(vm.SymbolAt(0).previous, -1);
}

TEST(CKvrVMan, ClearSymbolsKeepsVariablesByteOrderAndTheStructsTheyUse) {
    CKvrVMan vm;
    RegisterS(vm);
    RegisterQ(vm);
    ASSERT_EQ(vm.RegisterStruct("Unused"), 1);
    ASSERT_EQ(vm.AddStructMember("Unused", "int", "i", 0), 1);
    ASSERT_EQ(vm.AddTypedef("BYTE", "unsigned char"), 1);
    Bind(vm, {{"S", "s", 0}, {"Unused", "u", 0}});
    // A macro variable of struct Q (which holds P).
    ASSERT_EQ(vm.RegisterVariable("Q", "mq", 0, 0, -1), 1);
    ASSERT_EQ(vm.SetNumber("mq.p[1].a", 513), 2);
    vm.SetBigEndian(1);

    vm.ClearSymbols();
    EXPECT_EQ(vm.SymbolCount(), 0u);
    EXPECT_EQ(vm.GetSymbolRows(), 0u);
    EXPECT_EQ(vm.GetNextOffset(), 0u);
    EXPECT_EQ(vm.IsBigEndian(), 1);
    std::string target;
    EXPECT_FALSE(vm.TypedefTarget("BYTE", target));
    EXPECT_EQ(vm.FindStruct("S"), nullptr);
    EXPECT_EQ(vm.FindStruct("Unused"), nullptr);
    ASSERT_NE(vm.FindStruct("Q"), nullptr);
    ASSERT_NE(vm.FindStruct("P"), nullptr);
    // The variable still resolves through its layout, and that layout cannot be redefined under it.
    EXPECT_EQ(vm.GetVariableType("mq.p[1].a"), "short");
    int16_t value = 0;
    EXPECT_EQ(vm.ReadVariable("mq.p[1].a", &value, 2), 2);
    EXPECT_EQ(value, 513);
    EXPECT_EQ(vm.RegisterStruct("Q"), 0);
    EXPECT_EQ(vm.RegisterStruct("S"), 1);

    // Once the variables are gone, the next clear removes the structs too.
    vm.FreeVariables();
    vm.ClearSymbols();
    EXPECT_EQ(vm.StructCount(), 0u);
}

TEST(CKvrVMan, FreeVariablesKeepsSymbolsTypesAndByteOrder) {
    CDataStore store;
    FillCounting(store, 32);
    CKvrVMan vm;
    vm.SetOwner(&store);
    RegisterS(vm);
    ASSERT_EQ(vm.AddTypedef("BYTE", "unsigned char"), 1);
    Bind(vm, {{"S", "s", 0}});
    ASSERT_EQ(vm.RegisterVariable("int", "i", 0, 0, -1), 1);
    vm.SetBigEndian(1);
    vm.FreeVariables();
    EXPECT_EQ(vm.VariableCount(), 0u);
    EXPECT_EQ(vm.GetVariableType("i"), "");
    EXPECT_EQ(vm.SymbolCount(), 1u);
    EXPECT_EQ(vm.GetVariableType("s.y"), "short");
    EXPECT_EQ(vm.IsBigEndian(), 1);
    EXPECT_NE(vm.FindStruct("S"), nullptr);
    std::string target;
    EXPECT_TRUE(vm.TypedefTarget("BYTE", target));
}

// ---- symbol search ----

struct FindCase {
    uint64_t start;
    const char* text;
    int direction;
    int flags;
    bool found;
    uint64_t offset;
};

TEST(CKvrVMan, FindSymbolCases) {
    CKvrVMan vm;
    // hdr 0..3, data 4..19, hdr2 20..23, xab_ab 24
    Bind(vm, {{"char", "hdr", 4}, {"short", "data", 8}, {"int", "hdr2", 0}, {"char", "xab_ab", 0}});
    const FindCase cases[] = {
        {6, "hdr", 1, 0, true, 20},  {6, "hdr", -1, 0, true, 0},   {1, "hdr", -1, 0, false, 0},
        {0, "hdr", 1, 0, true, 20},  {25, "hdr", 1, 0, false, 0},  {25, "hdr", -1, 0, false, 0},
        {6, "dr", -1, 0, false, 0},  {6, "dr", -1, 2, true, 0},    {6, "dr", 1, 2, true, 20},
        {6, "HDR", 1, 0, true, 20},  {6, "HDR", 1, 1, false, 0},   {6, "HdR2", -1, 0, false, 0},
        {0, "ab", 1, 0, false, 0},   {0, "ab", 1, 2, true, 24},    {0, "XAB", 1, 0, true, 24},
        {4, "data", 1, 0, false, 0}, {24, "data", -1, 0, true, 4}, {0, "", 1, 2, false, 0},
        {24, "hdr", 0, 0, true, 20}, {24, "h", -5, 0, true, 20},
    };
    for (const FindCase& c : cases) {
        uint64_t offset = 9999;
        EXPECT_EQ(vm.FindSymbol(c.start, c.text, c.direction, c.flags, offset), c.found)
            << c.start << " " << c.text << " " << c.direction << " " << c.flags;
        if (c.found) {
            EXPECT_EQ(offset, c.offset) << c.text;
        }
    }
}

// Double-byte characters are compared whole: a trail byte that looks like a letter is neither upper-cased
// nor matched, and a match never starts or ends inside a character.
TEST(CKvrVMan, FindSymbolKeepsDoubleByteCharactersWhole) {
    CKvrVMan vm;
    const std::string lowerTrail = "\x83\x61z"; // trail byte 'a'
    const std::string upperTrail = "\x83\x41"
                                   "A"; // trail byte 'A', then a real 'A'
    const std::string pair = "\x83\x41\x83\x42";
    vm.SetBindNext(1);
    ASSERT_EQ(vm.RegisterVariable("char", "start", 0, 0, -1), 1);
    ASSERT_EQ(vm.RegisterVariable("char", lowerTrail, 0, 0, -1), 1);
    ASSERT_EQ(vm.RegisterVariable("char", upperTrail, 0, 0, -1), 1);
    ASSERT_EQ(vm.RegisterVariable("char", pair, 0, 0, -1), 1);
    uint64_t offset = 0;
    EXPECT_TRUE(vm.FindSymbol(0, "A", 1, 2, offset));
    EXPECT_EQ(offset, 2u);
    EXPECT_FALSE(vm.FindSymbol(2, "A", 1, 2, offset));
    EXPECT_FALSE(vm.FindSymbol(0, "\x41\x83", 1, 3, offset));
    EXPECT_FALSE(vm.FindSymbol(0, "\x83", 1, 3, offset));
    EXPECT_TRUE(vm.FindSymbol(0, "\x83\x42", 1, 3, offset));
    EXPECT_EQ(offset, 3u);
    // Without Caps the first name must not turn into "\x83\x41Z".
    EXPECT_TRUE(vm.FindSymbol(0, "\x83\x41", 1, 2, offset));
    EXPECT_EQ(offset, 2u);
    EXPECT_TRUE(vm.FindSymbol(0, "\x83\x61Z", 1, 0, offset));
    EXPECT_EQ(offset, 1u);
}

} // namespace
