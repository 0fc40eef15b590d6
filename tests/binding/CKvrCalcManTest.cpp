#include "BindingHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<unsigned char> k12345678 = {0x12, 0x34, 0x56, 0x78};
const std::vector<unsigned char> kGif = {'G', 'I', 'F', '8', '9', 'a'};

struct ValueCase {
    const char* label;
    std::vector<unsigned char> data;
    bool bigEndian;
    const char* expression;
    int32_t error;
    int32_t kind;
    int64_t value;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.expression;
}

class DataFunctionValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(DataFunctionValue, GivesTheValueOrTheError) {
    const ValueCase& c = GetParam();
    BindingHarness h(c.data);
    h.vman.SetBigEndian(c.bigEndian ? 1 : 0);
    ScriptValue v = h.Eval(c.expression);
    ASSERT_EQ(v.error, c.error) << c.expression;
    if (c.error == 0) {
        EXPECT_EQ(v.kind, c.kind) << c.expression;
        EXPECT_EQ(v.intValue, c.value) << c.expression;
    }
}

const ValueCase kValueCases[] = {
    // Reading at an offset: byte order, the bounds of the data, the expression form.
    {"GetByte0", k12345678, false, "GetByte(0)", 0, KindUChar, 0x12},
    {"GetByteLast", k12345678, false, "GetByte(3)", 0, KindUChar, 0x78},
    {"GetBytePastEnd", k12345678, false, "GetByte(4)", 23, 0, 0},
    {"GetByteNegative", k12345678, false, "GetByte(-1)", 8, 0, 0},
    {"GetByteString", k12345678, false, "GetByte(\"a\")", 8, 0, 0},
    {"GetByteNothing", k12345678, false, "GetByte()", 8, 0, 0},
    {"GetByteOnEmptyData", {}, false, "GetByte(0)", 23, 0, 0},
    {"GetByteTwoExpressions", k12345678, false, "GetByte(0, 1)", 2, 0, 0},
    {"GetByteOwnErrorIsNotPassedOn", k12345678, false, "GetByte(1 / 0)", 2, 0, 0},
    {"GetByteUnknownName", k12345678, false, "GetByte(nothing)", 2, 0, 0},
    {"GetByteComputedOffset", k12345678, false, "GetByte(1 + 1) + 1", 0, KindInt, 0x57},
    {"GetWordLittle", k12345678, false, "GetWord(1)", 0, KindUShort, 0x5634},
    {"GetWordBig", k12345678, true, "GetWord(1)", 0, KindUShort, 0x3456},
    {"GetWordAtLastByte", k12345678, false, "GetWord(3)", 23, 0, 0},
    {"GetDwordLittle", k12345678, false, "GetDword(0)", 0, KindUInt, 0x78563412},
    {"GetDwordBig", k12345678, true, "GetDword(0)", 0, KindUInt, 0x12345678},
    {"GetDwordShort", k12345678, false, "GetDword(1)", 23, 0, 0},
    {"GetDwordTooLargeOffset", k12345678, false, "GetDword(0x80000000)", 8, 0, 0},
    // Reading at the offset of the next symbol (0 here), whatever the argument.
    {"GetCurrentByte", k12345678, false, "GetCurrentByte()", 0, KindUChar, 0x12},
    {"GetCurrentByteIgnoresItsArgument", k12345678, false, "GetCurrentByte(3)", 0, KindUChar, 0x12},
    {"GetCurrentWord", k12345678, false, "GetCurrentWord()", 0, KindUShort, 0x3412},
    {"GetCurrentDwordBig", k12345678, true, "GetCurrentDword()", 0, KindUInt, 0x12345678},
    {"GetCurrentDwordShort", {1, 2, 3}, false, "GetCurrentDword()", 23, 0, 0},
    {"GetCurrentByteBadArgument", k12345678, false, "GetCurrentByte(1,2)", 2, 0, 0},
    {"GetCurrentOffset", k12345678, false, "GetCurrentOffset()", 0, KindUInt, 0},
    {"GetFileSize", k12345678, false, "GetFileSize()", 0, KindUInt, 4},
    {"GetFileSizeBadArgument", k12345678, false, "GetFileSize(x)", 2, 0, 0},
    // Searching: distances, not offsets; the offset forms take two expressions.
    {"FindByte", k12345678, false, "FindByte(0x56)", 0, KindInt, 2},
    {"FindByteNone", k12345678, false, "FindByte(0x99)", 0, KindInt, -1},
    {"FindByteOffsetIsADistance", k12345678, false, "FindByteOffset(0x56, 1)", 0, KindInt, 1},
    {"FindByteOffsetNone", k12345678, false, "FindByteOffset(0x99, 0)", 0, KindInt, -1},
    {"FindByteOffsetBehindTheStart", k12345678, false, "FindByteOffset(0x12, 1)", 0, KindInt, -1},
    {"FindByteOffsetPastTheEnd", k12345678, false, "FindByteOffset(0x12, 100)", 0, KindInt, -1},
    {"FindByteLowByteOnly", k12345678, false, "FindByte(0x1234)", 0, KindInt, 1},
    {"FindWord", k12345678, false, "FindWord(0x5634)", 0, KindInt, 1},
    {"FindWordBig", k12345678, true, "FindWord(0x3456)", 0, KindInt, 1},
    {"FindWordOffset", k12345678, false, "FindWordOffset(0x7856, 0)", 0, KindInt, 2},
    {"FindWordAtLastByteOnly", k12345678, false, "FindWord(0x0078)", 0, KindInt, -1},
    {"FindDword", k12345678, false, "FindDword(0x78563412)", 0, KindInt, 0},
    {"FindDwordOffsetBig", k12345678, true, "FindDwordOffset(0x12345678, 0)", 0, KindInt, 0},
    {"FindByteOffsetOneExpression", k12345678, false, "FindByteOffset(0x56)", 2, 0, 0},
    {"FindByteTwoExpressions", k12345678, false, "FindByte(0x56, 1)", 2, 0, 0},
    {"FindByteString", k12345678, false, "FindByte(\"x\")", 8, 0, 0},
    {"FindByteOffsetStringOffset", k12345678, false, "FindByteOffset(1, \"x\")", 8, 0, 0},
    {"FindDwordOffsetStringValue", k12345678, false, "FindDwordOffset(\"x\", 0)", 8, 0, 0},
    // Strings.
    {"GetStringByteFirst", {}, false, "GetStringByte(\"abc\", 0)", 0, KindUChar, 97},
    {"GetStringByteLast", {}, false, "GetStringByte(\"abc\", 2)", 0, KindUChar, 99},
    {"GetStringByteOverLength", {}, false, "GetStringByte(\"abc\", 3)", 32, 0, 0},
    {"GetStringByteNegativeIndex", {}, false, "GetStringByte(\"abc\", -1)", 32, 0, 0},
    {"GetStringByteNotAString", {}, false, "GetStringByte(1, 0)", 8, 0, 0},
    {"GetStringByteOneArgument", {}, false, "GetStringByte(\"abc\")", 25, 0, 0},
    {"GetStringByteThreeArguments", {}, false, "GetStringByte(\"abc\", 1, 2)", 25, 0, 0},
    {"GetStringByteArgumentError", {}, false, "GetStringByte(\"abc\", 1 / 0)", 3, 0, 0},
    {"GetStringByteBadSeparator", {}, false, "GetStringByte(\"abc\";1)", 4, 0, 0},
    {"FStrCmpEqual", kGif, false, "FStrCmp(0, 0, \"GIF\")", 0, KindInt, 0},
    {"FStrCmpCase", kGif, false, "FStrCmp(0, 0, \"gif\")", 0, KindInt, -1},
    {"FStrCmpIgnoreCase", kGif, false, "FStrCmp(0, 0, \"gif\", 1)", 0, KindInt, 0},
    {"FStrCmpIgnoreCaseBit0Only", kGif, false, "FStrCmp(0, 0, \"gif\", 2)", 0, KindInt, -1},
    {"FStrCmpLonger", kGif, false, "FStrCmp(0, 6, \"GIF\")", 0, KindInt, 1},
    {"FStrCmpBefore", kGif, false, "FStrCmp(0, 3, \"GIG\")", 0, KindInt, -1},
    {"FStrCmpOffset", kGif, false, "FStrCmp(3, 2, \"89\")", 0, KindInt, 0},
    {"FStrCmpHugeLength", kGif, false, "FStrCmp(0, 0xFFFFFFFF, \"GIF89a\")", 0, KindInt, 0},
    {"FStrCmpShortRead", kGif, false, "FStrCmp(4, 10, \"9a\")", 0, KindInt, 0},
    {"FStrCmpPastTheEnd", kGif, false, "FStrCmp(100, 0, \"\")", 0, KindInt, 0},
    {"FStrCmpZeroByteEndsTheText", {'A', 'B', 0, 'C'}, false, "FStrCmp(0, 4, \"AB\")", 0, KindInt, 0},
    {"FStrCmpTwoArguments", kGif, false, "FStrCmp(0, 0)", 25, 0, 0},
    {"FStrCmpFiveArguments", kGif, false, "FStrCmp(0, 0, \"G\", 1, 2)", 25, 0, 0},
    {"FStrCmpNumberForString", kGif, false, "FStrCmp(0, 0, 71)", 8, 0, 0},
    {"FStrCmpStringForOffset", kGif, false, "FStrCmp(\"x\", 0, \"G\")", 8, 0, 0},
    // No-argument functions.
    {"GetLanguage", {}, false, "GetLanguage()", 0, KindInt, 1},
    {"GetLanguageWithArgument", {}, false, "GetLanguage(1)", 25, 0, 0},
    {"GetCursorOffsetWithArgument", {}, false, "GetCursorOffset(0)", 25, 0, 0},
    {"PasteWithArgument", {}, false, "Paste(\"x\")", 25, 0, 0},
    {"DeleteSymbolWithArgument", {}, false, "DeleteSymbol(1)", 25, 0, 0},
    {"DeleteSymbolIsVoid", {}, false, "DeleteSymbol()", 0, KindVoid, 0},
    // Marks and the clipboard: argument checks.
    {"SetMarkIsVoid", k12345678, false, "SetMark(1)", 0, KindVoid, 0},
    {"SetMarkNothing", k12345678, false, "SetMark()", 8, 0, 0},
    {"SetMarkTwo", k12345678, false, "SetMark(1, 2)", 25, 0, 0},
    {"SetMarkString", k12345678, false, "SetMark(\"x\")", 8, 0, 0},
    {"CopyNothing", {}, false, "Copy()", 8, 0, 0},
    {"CopyNumber", {}, false, "Copy(1)", 8, 0, 0},
    {"CopyTwo", {}, false, "Copy(\"a\", \"b\")", 25, 0, 0},
    // The message box: 1 to 3 arguments.
    {"MessageBoxNothing", {}, false, "MessageBox()", 25, 0, 0},
    {"MessageBoxFour", {}, false, "MessageBox(\"a\", \"b\", 1, 2)", 25, 0, 0},
    {"MessageBoxDoubleText", {}, false, "MessageBox(1.5)", 8, 0, 0},
    {"MessageBoxStringStyle", {}, false, "MessageBox(\"a\", \"b\", \"c\")", 8, 0, 0},
    // Changing the data: argument counts and kinds.
    {"InsertOneArgument", k12345678, false, "Insert(0)", 25, 0, 0},
    {"InsertThreeArguments", k12345678, false, "Insert(0, 1, 2)", 25, 0, 0},
    {"InsertStringOffset", k12345678, false, "Insert(\"x\", 1)", 8, 0, 0},
    {"InsertArgumentError", k12345678, false, "Insert(0, 1 / 0)", 3, 0, 0},
    {"WriteOneArgument", k12345678, false, "Write(0)", 25, 0, 0},
    {"DeleteOneArgument", k12345678, false, "Delete(0)", 25, 0, 0},
    {"DeleteStringCount", k12345678, false, "Delete(0, \"x\")", 8, 0, 0},
    {"AddTwoArguments", k12345678, false, "Add(1, 2)", 25, 0, 0},
    {"InputDataTwoArguments", {}, false, "InputData(\"p\", \"t\")", 25, 0, 0},
    {"InputDataFourArguments", {}, false, "InputData(\"p\", \"t\", 1, 2)", 25, 0, 0},
    {"InputDataNotAPointer", {}, false, "InputData(\"p\", \"t\", 1)", 8, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, DataFunctionValue, ::testing::ValuesIn(kValueCases),
                         [](const ::testing::TestParamInfo<ValueCase>& info) { return info.param.label; });

TEST(CKvrCalcMan, FunctionTableIdsPrecedenceAndOrder) {
    const char* names[] = {"GetCurrentByte(",
                           "GetCurrentWord(",
                           "GetCurrentDword(",
                           "GetByte(",
                           "GetWord(",
                           "GetDword(",
                           "GetCurrentOffset(",
                           "GetFileSize(",
                           "FindByte(",
                           "FindWord(",
                           "FindDword(",
                           "FindByteOffset(",
                           "FindWordOffset(",
                           "FindDwordOffset(",
                           "MessageBox(",
                           "Insert(",
                           "Write(",
                           "Delete(",
                           "Add(",
                           "InputData(",
                           "GetStringByte(",
                           "FStrCmp(",
                           "DeleteSymbol(",
                           "Copy(",
                           "Paste(",
                           "GetCursorOffset(",
                           "GetLanguage(",
                           "SetMark("};
    size_t count = 0;
    const OperatorRow* table = CKvrCalcMan::FunctionTable(count);
    ASSERT_EQ(count, 28u);
    CKvrCalcMan calc;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_STREQ(table[i].text, names[i]);
        EXPECT_EQ(table[i].id, static_cast<int32_t>(45 + i));
        EXPECT_EQ(table[i].precedence, 100);
        // Every function is found from its own text followed by anything.
        std::string text = std::string(1, '\0') + names[i] + "1)";
        const OperatorRow* row = calc.FindOperator(text.c_str() + 1);
        ASSERT_NE(row, nullptr) << names[i];
        EXPECT_EQ(row->id, table[i].id) << names[i];
    }
}

TEST(CKvrCalcMan, FindOperatorComparesTheWholeFunctionText) {
    CKvrCalcMan calc;
    struct {
        const char* text;
        int32_t id; // -1: no row
    } cases[] = {
        {"FindByteOffset(1,2)", 56}, {"FindByte(1)", 53},    {"FindByte", -1},   {"findbyte(1)", -1},
        {"GetByteX(1)", -1},         {"Add(1)", 63},         {"max(1,2)", 27},   {"+1", 21},
        {"Delete(0,1)", 62},         {"DeleteSymbol()", 67}, {"Getbyte(0)", -1},
    };
    for (const auto& c : cases) {
        std::string text = std::string(1, '\0') + c.text;
        const OperatorRow* row = calc.FindOperator(text.c_str() + 1);
        if (c.id < 0) {
            EXPECT_EQ(row, nullptr) << c.text;
        } else {
            ASSERT_NE(row, nullptr) << c.text;
            EXPECT_EQ(row->id, c.id) << c.text;
        }
    }
}

TEST(CKvrCalcMan, UnknownExtensionIdsGoToTheBase) {
    CKvrCalcMan calc;
    const char text[] = "\0)";
    EXPECT_EQ(calc.CallExtension(44, ScriptValue(text + 1)).error, 1);
    EXPECT_EQ(calc.CallExtension(73, ScriptValue(text + 1)).error, 1);
}

TEST(CKvrCalcMan, FunctionsAreStatementsAndPartsOfExpressions) {
    BindingHarness h(k12345678);
    ExecContext ctx = h.Run("int a = GetByte(1) * 2 + GetWord(2);\n"
                            "GetByte(0);\n"
                            "int b = FindByte(0x78) == 3;\n");
    ASSERT_EQ(ctx.error, 0);
    ScriptValue a = h.Eval("a");
    EXPECT_EQ(a.intValue, 0x34 * 2 + 0x7856);
    EXPECT_EQ(h.Eval("b").intValue, 1);
}

TEST(CKvrCalcMan, CurrentFunctionsReadAtTheNextSymbolWhateverTheCursor) {
    std::vector<unsigned char> data(16);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<unsigned char>(i);
    }
    BindingHarness h(data);
    h.store.Pane(0).cursor = 2;
    ASSERT_EQ(h.Run("$char a; $short b[3];").error, 0);
    ScriptValue offset = h.Eval("GetCurrentOffset()");
    EXPECT_EQ(offset.kind, KindUInt);
    EXPECT_EQ(offset.intValue, 7);
    EXPECT_EQ(h.Eval("GetCurrentByte()").intValue, 7);
    EXPECT_EQ(h.Eval("GetCurrentWord()").intValue, 0x0807);
    EXPECT_EQ(h.Eval("FindByte(9)").intValue, 2);
    EXPECT_EQ(h.Eval("FindByte(3)").intValue, -1);
    EXPECT_EQ(h.Eval("GetCursorOffset()").intValue, 2);
}

TEST(CKvrCalcMan, SearchFindsPatternsAcrossChunkBoundaries) {
    std::vector<unsigned char> data(250, 0);
    data[99] = 0xAA;
    data[100] = 0xBB;
    data[197] = 0x11;
    data[198] = 0x22;
    data[199] = 0x33;
    data[200] = 0x44;
    BindingHarness h(data);
    EXPECT_EQ(h.calc.Search(0xBBAA, 2, 0), 99);
    EXPECT_EQ(h.calc.Search(0x44332211, 4, 0), 197);
    EXPECT_EQ(h.calc.Search(0x44332211, 4, 198), -1);
    EXPECT_EQ(h.calc.Search(0x44332211, 4, 197), 0);
    EXPECT_EQ(h.Eval("FindWordOffset(0xBBAA, 50)").intValue, 49);
}

TEST(CKvrCalcMan, SearchAgreesWithAPlainSearch) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const int n = 1 << (random() % 3);
        // Alphabets that put the first match anywhere in the data, often on a chunk boundary, with many
        // partial matches on the way.
        const unsigned alphabet = n == 1 ? 200 : n == 2 ? 12 : 3;
        std::vector<unsigned char> data(random() % 420);
        for (unsigned char& b : data) {
            b = static_cast<unsigned char>(random() % alphabet);
        }
        BindingHarness h(data);
        const bool big = random() % 2 == 0;
        h.vman.SetBigEndian(big ? 1 : 0);
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(random() % alphabet) << (8 * i);
        }
        const uint64_t start = data.empty() ? 0 : random() % (data.size() + 2);
        unsigned char pattern[4];
        for (int i = 0; i < n; ++i) {
            pattern[i] = static_cast<unsigned char>(value >> (8 * (big ? n - 1 - i : i)));
        }
        int64_t expected = -1;
        for (uint64_t p = start; p + n <= data.size(); ++p) {
            if (std::memcmp(data.data() + p, pattern, static_cast<size_t>(n)) == 0) {
                expected = static_cast<int64_t>(p - start);
                break;
            }
        }
        ASSERT_EQ(h.calc.Search(value, n, start), expected)
            << "round " << round << " size " << data.size() << " n " << n << " start " << start;
    }
}

TEST(CKvrCalcMan, MessageBoxPassesTextCaptionAndStyleAndReturnsTheButton) {
    BindingHarness h;
    h.host.button = 2;
    ScriptValue v = h.Eval("MessageBox(\"x\")");
    ASSERT_EQ(v.error, 0);
    EXPECT_EQ(v.kind, KindUInt);
    EXPECT_EQ(v.intValue, 2);
    h.host.button = 6;
    EXPECT_EQ(h.Eval("MessageBox(65, \"T\", 0x24)").intValue, 6);
    ASSERT_EQ(h.host.messages.size(), 2u);
    EXPECT_EQ(h.host.messages[0].text, "x");
    EXPECT_EQ(h.host.messages[0].caption, "KIVRAN");
    EXPECT_EQ(h.host.messages[0].style, 1u);
    EXPECT_EQ(h.host.messages[1].text, "A");
    EXPECT_EQ(h.host.messages[1].caption, "T");
    EXPECT_EQ(h.host.messages[1].style, 0x24u);
}

TEST(CKvrCalcMan, WithoutAHostTheFirstButtonIsPressedAndPromptsAreCancelled) {
    BindingHarness h;
    h.calc.SetHost(nullptr);
    struct {
        const char* call;
        int64_t button;
    } cases[] = {{"MessageBox(\"x\", \"c\", 0)", 1},    {"MessageBox(\"x\")", 1},
                 {"MessageBox(\"x\", \"c\", 0x12)", 3}, {"MessageBox(\"x\", \"c\", 3)", 6},
                 {"MessageBox(\"x\", \"c\", 4)", 6},    {"MessageBox(\"x\", \"c\", 0x45)", 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(h.Eval(c.call).intValue, c.button) << c.call;
    }
    ASSERT_EQ(h.Run("int v = 3; int r = InputData(\"p\", \"t\", &v); int c = Copy(\"x\");").error, 0);
    EXPECT_EQ(h.Eval("r").intValue, 0);
    EXPECT_EQ(h.Eval("v").intValue, 3);
    EXPECT_EQ(h.Eval("c").intValue, 0);
    EXPECT_EQ(h.Eval("Paste()").text, "");
}

TEST(CKvrCalcMan, ChangesAndTheirResults) {
    struct ChangeCase {
        const char* label;
        bool bigEndian;
        const char* call;
        int64_t result;
        std::vector<unsigned char> after;
    } cases[] = {
        {"insert char", false, "Insert(0, 'A')", 1, {0x41, 0x12, 0x34, 0x56, 0x78}},
        {"insert int at end", false, "Insert(4, 1)", 1, {0x12, 0x34, 0x56, 0x78, 1, 0, 0, 0}},
        {"insert past end", false, "Insert(5, 1)", 0, {0x12, 0x34, 0x56, 0x78}},
        {"insert short big", true, "Insert(1, GetWord(0))", 1, {0x12, 0x12, 0x34, 0x34, 0x56, 0x78}},
        {"write string", false, "Write(1, \"AB\")", 2, {0x12, 0x41, 0x42, 0x78}},
        {"write cut at end", false, "Write(3, \"AB\")", 1, {0x12, 0x34, 0x56, 0x41}},
        {"write past end", false, "Write(4, 1)", 0, {0x12, 0x34, 0x56, 0x78}},
        {"write double", false, "Write(0, 0.0)", 4, {0, 0, 0, 0}},
        {"delete", false, "Delete(0, 1)", 1, {0x34, 0x56, 0x78}},
        {"delete too many", false, "Delete(3, 2)", 0, {0x12, 0x34, 0x56, 0x78}},
        {"delete nothing", false, "Delete(2, 0)", 1, {0x12, 0x34, 0x56, 0x78}},
        {"add string", false, "Add(\"AB\")", 1, {0x12, 0x34, 0x56, 0x78, 0x41, 0x42}},
        {"add int", false, "Add(1)", 1, {0x12, 0x34, 0x56, 0x78, 1, 0, 0, 0}},
        {"add int big", true, "Add(1)", 1, {0x12, 0x34, 0x56, 0x78, 0, 0, 0, 1}},
        {"add string big", true, "Add(\"AB\")", 1, {0x12, 0x34, 0x56, 0x78, 0x41, 0x42}},
        {"add empty string", false, "Add(\"\")", 1, {0x12, 0x34, 0x56, 0x78}},
        {"add short", false, "Add(GetWord(0))", 1, {0x12, 0x34, 0x56, 0x78, 0x12, 0x34}},
        {"add double", false, "Add(1.5)", 1, {0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
    };
    for (const ChangeCase& c : cases) {
        BindingHarness h(k12345678);
        h.vman.SetBigEndian(c.bigEndian ? 1 : 0);
        ScriptValue v = h.Eval(c.call);
        ASSERT_EQ(v.error, 0) << c.label;
        EXPECT_EQ(v.kind, KindUInt) << c.label;
        EXPECT_EQ(v.intValue, c.result) << c.label;
        EXPECT_EQ(h.Data(), c.after) << c.label;
    }
}

TEST(CKvrCalcMan, WriteOfAFloatUsesItsSinglePrecisionBytes) {
    BindingHarness h(std::vector<unsigned char>(4, 0));
    ASSERT_EQ(h.Run("float f = 1.5; Write(0, f);").error, 0);
    EXPECT_EQ(h.Data(), (std::vector<unsigned char>{0, 0, 0xC0, 0x3F}));
}

TEST(CKvrCalcMan, PointersHaveNoBytesInTheData) {
    for (const char* call : {"Insert(0, &v)", "Write(0, &v)", "Add(&v)", "Add(p)"}) {
        BindingHarness h(k12345678);
        std::string script = std::string("int v = 1; int* p = &v; ") + call + ";";
        EXPECT_EQ(h.Run(script).error, 8) << call;
        EXPECT_EQ(h.Data(), k12345678) << call;
        EXPECT_FALSE(h.store.CanUndo()) << call;
    }
}

TEST(CKvrCalcMan, EmptyChangesLeaveNoUndoStep) {
    BindingHarness h(k12345678);
    EXPECT_EQ(h.Eval("Add(\"\")").intValue, 1);
    EXPECT_EQ(h.Eval("Delete(0, 0)").intValue, 1);
    EXPECT_EQ(h.Eval("Write(0, \"\")").intValue, 0);
    EXPECT_FALSE(h.store.CanUndo());
}

TEST(CKvrCalcMan, EachChangeIsOneUndoStep) {
    BindingHarness h(k12345678);
    ASSERT_EQ(h.Run("Delete(0, 1);").error, 0);
    EXPECT_EQ(h.Data(), (std::vector<unsigned char>{0x34, 0x56, 0x78}));
    uint64_t last = 0;
    ASSERT_TRUE(h.store.Undo(last));
    EXPECT_EQ(h.Data(), k12345678);
    EXPECT_FALSE(h.store.CanUndo());

    ASSERT_EQ(h.Run("Write(0, 'A'); Write(1, 'B');").error, 0);
    EXPECT_EQ(h.Data(), (std::vector<unsigned char>{0x41, 0x42, 0x56, 0x78}));
    ASSERT_TRUE(h.store.Undo(last));
    EXPECT_EQ(h.Data(), (std::vector<unsigned char>{0x41, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(h.store.Undo(last));
    EXPECT_EQ(h.Data(), k12345678);
    EXPECT_FALSE(h.store.CanUndo());
}

TEST(CKvrCalcMan, ChangesStayWhenTheScriptFailsLater) {
    BindingHarness h(k12345678);
    ExecContext ctx = h.Run("Add(\"AB\");\nInsert(0, 1, 2);\nAdd(\"CD\");");
    EXPECT_EQ(ctx.error, 25);
    EXPECT_EQ(ctx.line, 2);
    EXPECT_EQ(h.Data(), (std::vector<unsigned char>{0x12, 0x34, 0x56, 0x78, 'A', 'B'}));
}

TEST(CKvrCalcMan, DataThatCannotBeChangedRefusesInsertDeleteAndAdd) {
    BindingHarness h(k12345678);
    h.store.AttachSource(CDataStore::kModeDll); // no library: nothing can be inserted or deleted
    for (const char* call : {"Insert(0, 1)", "Delete(0, 1)", "Add(1)", "Add(\"\")", "Delete(0, 0)"}) {
        ScriptValue v = h.Eval(call);
        ASSERT_EQ(v.error, 0) << call;
        EXPECT_EQ(v.intValue, 0) << call;
    }
    EXPECT_FALSE(h.store.CanUndo());
}

TEST(CKvrCalcMan, OffsetsPlusCountsDoNotWrap) {
    BindingHarness h(k12345678);
    struct {
        const char* call;
        int64_t result;
    } cases[] = {{"Delete(0xFFFFFFFF, 0xFFFFFFFF)", 0}, {"Delete(1, 0xFFFFFFFF)", 0},
                 {"Write(0xFFFFFFFF, 1)", 0},           {"Insert(0xFFFFFFFF, 1)", 0},
                 {"FindByteOffset(0, 0xFFFFFFFF)", -1}, {"FStrCmp(0xFFFFFFFF, 0xFFFFFFFF, \"\")", 0}};
    for (const auto& c : cases) {
        ScriptValue v = h.Eval(c.call);
        ASSERT_EQ(v.error, 0) << c.call;
        EXPECT_EQ(v.intValue, c.result) << c.call;
    }
    EXPECT_EQ(h.Data(), k12345678);
}

TEST(CKvrCalcMan, InputDataShowsTheValueAndStoresTheAnswer) {
    struct InputCase {
        const char* declaration;
        int valueType;
        const char* initial;
        const char* answer;
        const char* check; // an expression that is 1 after the store
    } cases[] = {
        {"char v = -3;", 1, "-3", "100", "v == 100"},
        {"unsigned char v = 200;", 2, "200", "255", "v == 255"},
        {"short v = -300;", 3, "-300", "-32768", "v == -32768"},
        {"unsigned short v = 65535;", 4, "65535", "1", "v == 1"},
        {"int v = 5;", 5, "5", "-2147483648", "v == -2147483648"},
        {"long v = 0;", 5, "0", "42", "v == 42"},
        {"unsigned int v = 4000000000;", 6, "4000000000", "7", "v == 7"},
        {"float v = 1.5;", 7, "1.500000", "2.25", "v == 2.25"},
        {"double v = 100000000000000000000.0;", 8, "1.000000e+20", "3.5", "v == 3.5"},
        {"double v = 0.5;", 8, "0.500000", "", "v == 0.5"},
        {"string v = \"abc\";", 9, "abc", "xyz", "v == \"xyz\""},
    };
    for (const InputCase& c : cases) {
        BindingHarness h;
        h.host.answers.push_back(c.answer);
        std::string script = std::string(c.declaration) + " int r = InputData(\"Value?\", \"Title\", &v);";
        ASSERT_EQ(h.Run(script).error, 0) << c.declaration;
        ASSERT_EQ(h.host.prompts.size(), 1u) << c.declaration;
        EXPECT_EQ(h.host.prompts[0].prompt, "Value?");
        EXPECT_EQ(h.host.prompts[0].title, "Title");
        EXPECT_EQ(h.host.prompts[0].valueType, c.valueType) << c.declaration;
        EXPECT_EQ(h.host.prompts[0].initialText, c.initial) << c.declaration;
        EXPECT_EQ(h.Eval("r").intValue, 1) << c.declaration;
        EXPECT_EQ(h.Eval(c.check).intValue, 1) << c.declaration;
    }
}

TEST(CKvrCalcMan, InputDataCancelStoresNothing) {
    BindingHarness h;
    ASSERT_EQ(h.Run("int v = 5; int r = InputData(\"p\", \"t\", &v);").error, 0);
    EXPECT_EQ(h.Eval("r").intValue, 0);
    EXPECT_EQ(h.Eval("v").intValue, 5);
}

TEST(CKvrCalcMan, InputDataStoresOnlyTheElementPointedTo) {
    BindingHarness h;
    h.host.answers.push_back("9");
    ASSERT_EQ(h.Run("short a[3]; a[0] = 1; a[1] = 2; a[2] = 3; InputData(\"p\", \"t\", &a[1]);").error, 0);
    EXPECT_EQ(h.host.prompts.at(0).initialText, "2");
    EXPECT_EQ(h.Eval("a[0] * 100 + a[1] * 10 + a[2]").intValue, 193);
}

TEST(CKvrCalcMan, InputDataAcceptsTextOfAnyLength) {
    BindingHarness h;
    const std::string longText(5000, 'x');
    h.host.answers.push_back(longText);
    ASSERT_EQ(h.Run("string s = \"\"; int r = InputData(\"p\", \"t\", &s);").error, 0);
    EXPECT_EQ(h.Eval("strlen(s)").intValue, 5000);
}

TEST(CKvrCalcMan, InputDataThroughAPointerOutsideTheMemoryStoresNothing) {
    BindingHarness h;
    h.host.answers.push_back("7");
    h.host.answers.push_back("8");
    ASSERT_EQ(h.Run("int v = 5; int w = 6; int* p = &v; p = p + 100000; int r = InputData(\"p\", \"t\", p);\n"
                    "int* q = &v; q = q - 100000; int s = InputData(\"p\", \"t\", q);")
                  .error,
              0);
    ASSERT_EQ(h.host.prompts.size(), 2u);
    EXPECT_EQ(h.host.prompts[0].valueType, 5);
    EXPECT_EQ(h.host.prompts[0].initialText, "0");
    EXPECT_EQ(h.Eval("r").intValue, 1);
    EXPECT_EQ(h.Eval("s").intValue, 1);
    EXPECT_EQ(h.Eval("v").intValue, 5);
    EXPECT_EQ(h.Eval("w").intValue, 6);
}

TEST(CKvrCalcMan, InputDataKindsMustMatch) {
    BindingHarness h;
    EXPECT_EQ(h.Run("int v = 1; InputData(1, \"t\", &v);").error, 8);
    EXPECT_EQ(h.Run("int w = 1; InputData(\"p\", 2, &w);").error, 8);
    EXPECT_TRUE(h.host.prompts.empty());
}

TEST(CKvrCalcMan, ClipboardCursorLanguageAndMarks) {
    BindingHarness h(k12345678);
    ScriptValue copied = h.Eval("Copy(\"hello\")");
    ASSERT_EQ(copied.error, 0);
    EXPECT_EQ(copied.kind, KindUInt);
    EXPECT_EQ(copied.intValue, 1);
    EXPECT_EQ(h.host.clipboard, "hello");
    ScriptValue pasted = h.Eval("Paste()");
    EXPECT_EQ(pasted.kind, KindString);
    EXPECT_EQ(pasted.text, "hello");
    h.host.clipboardWorks = false;
    EXPECT_EQ(h.Eval("Copy(\"other\")").intValue, 0);
    h.host.clipboard.clear();
    EXPECT_EQ(h.Eval("Paste()").text, "");

    h.store.Pane(0).cursor = 3;
    ScriptValue cursor = h.Eval("GetCursorOffset()");
    EXPECT_EQ(cursor.kind, KindUInt);
    EXPECT_EQ(cursor.intValue, 3);
    h.calc.SetLanguage(0);
    EXPECT_EQ(h.Eval("GetLanguage()").intValue, 0);

    ASSERT_EQ(h.Run("SetMark(2); SetMark(2); SetMark(0);").error, 0);
    EXPECT_EQ(h.store.Marks(), (std::vector<uint32_t>{0, 2}));
}

TEST(CKvrCalcMan, DeleteSymbolClearsTheSymbolsAndKeepsByteOrderAndVariables) {
    BindingHarness h(k12345678);
    ASSERT_EQ(h.Run("#bigendian\n$char a; $short b; int v = 3;").error, 0);
    ASSERT_EQ(h.vman.SymbolCount(), 2u);
    ASSERT_EQ(h.Run("DeleteSymbol();").error, 0);
    EXPECT_EQ(h.vman.SymbolCount(), 0u);
    EXPECT_EQ(h.vman.GetNextOffset(), 0u);
    EXPECT_EQ(h.vman.IsBigEndian(), 1);
    EXPECT_EQ(h.Eval("v").intValue, 3);
    EXPECT_EQ(h.Eval("GetCurrentOffset()").intValue, 0);
}

TEST(CKvrCalcMan, ErrorInsideAScriptFunctionArgumentReportsTheFunctionLine) {
    BindingHarness h(k12345678);
    ExecContext ctx = h.Run("int f(int a);\n"
                            "Add(f(1));\n"
                            "return;\n"
                            "int f(int a) {\n"
                            "  return a / 0;\n"
                            "}\n");
    EXPECT_EQ(ctx.error, 3);
    EXPECT_EQ(ctx.line, 5);
}

} // namespace
