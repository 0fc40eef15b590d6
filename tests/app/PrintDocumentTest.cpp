#include "PdfText.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "binding/CKvrVMan.h"
#include "data/CDataStore.h"
#include "data/CNavigator.h"
#include "print/CPrintDocument.h"
#include "settings/KivranSettings.h"

#include <QPrinter>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A data file printed to PDF with the default print settings (10 mm margins, 0.5 mm between lines, the
// default print font), in English.
class PrintDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(PdfText::ToolsInstalled()) << "poppler-utils (pdftotext, pdfinfo) are needed";
        options.font = KivranSettings::DefaultPrintFont();
        pdf = env.dir.path().toStdString() + "/out.pdf";
    }

    void Open(const std::vector<unsigned char>& bytes, const std::string& name = "data.bin") {
        const std::string path = env.dir.path().toStdString() + "/" + name;
        TestEnvironment::WriteFile(path, std::string(bytes.begin(), bytes.end()));
        ASSERT_TRUE(store.OpenFile(path).success);
    }
    // Data whose byte i is i modulo 256.
    void Open(size_t size) {
        std::vector<unsigned char> bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<unsigned char>(i);
        }
        Open(bytes);
    }

    std::unique_ptr<CPrintDocument> Document(int size = 0, int type = 1) {
        auto document = std::make_unique<CPrintDocument>(store);
        CRowLayout layout(size, type, 20);
        layout.SetSymbols(&symbols);
        document->SetLayout(layout);
        document->SetOptions(options);
        document->SetLanguage(1);
        return document;
    }

    // Rows a page of the PDF printer holds with the current options.
    int64_t RowsPerPage() {
        auto printer = CPrintDocument::MakePdfPrinter(QString::fromStdString(pdf));
        auto document = Document();
        return document->RowsPerPage(document->Measure(*printer, false));
    }

    std::vector<std::string> Print(CPrintDocument& document, int64_t from = 1, int64_t to = INT64_MAX,
                                   int copies = 1, bool collate = true) {
        auto printer = CPrintDocument::MakePdfPrinter(QString::fromStdString(pdf));
        EXPECT_EQ(document.Print(*printer, from, to, copies, collate), PrintOutcome::Printed);
        return PdfText::Pages(pdf);
    }

    static std::string Address(uint64_t offset, uint64_t size) {
        return CNavigator::AddressText(offset, CNavigator::AddressDigits(size, 0), 0);
    }

    TestEnvironment env;
    CDataStore store;
    CKvrVMan symbols;
    PrintOptions options;
    std::string pdf;
};

TEST_F(PrintDocumentTest, PagesTwoToThreeOfFiveCarryTheirRowsAndFooters) {
    const int64_t rows = RowsPerPage();
    ASSERT_GT(rows, 10);
    const uint64_t size = static_cast<uint64_t>(rows) * 16 * 4 + 16; // one row on the fifth page
    Open(size);
    auto document = Document();
    auto printer = CPrintDocument::MakePdfPrinter(QString::fromStdString(pdf));
    ASSERT_EQ(document->PageCount(document->Measure(*printer, false)), 5);

    const std::vector<std::string> pages = Print(*document, 2, 3);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(PdfText::Info(pdf, "Pages"), "2");
    EXPECT_EQ(PdfText::Info(pdf, "Title"), "KIVRAN Printing");
    EXPECT_TRUE(Contains(pages[0], "- 2 / 5 -")) << pages[0];
    EXPECT_TRUE(Contains(pages[1], "- 3 / 5 -")) << pages[1];
    EXPECT_FALSE(Contains(pages[0], "- 3 / 5 -"));
    for (const std::string& page : pages) {
        EXPECT_TRUE(Contains(page, "data.bin")) << page;
    }
    // Page 2 begins with row (2 - 1) x rows per page and ends just before page 3's first row.
    const uint64_t first2 = static_cast<uint64_t>(rows) * 16;
    const uint64_t first3 = first2 * 2;
    const std::vector<std::string> lines = PdfText::Lines(pages[0]);
    bool firstRowFound = false;
    for (const std::string& line : lines) {
        firstRowFound = firstRowFound || line.rfind(Address(first2, size) + " ", 0) == 0;
        EXPECT_NE(line.rfind(Address(first2 - 16, size) + " ", 0), 0u) << line;
        EXPECT_NE(line.rfind(Address(first3, size) + " ", 0), 0u) << line;
    }
    EXPECT_TRUE(firstRowFound) << pages[0];
    EXPECT_TRUE(Contains(pages[1], Address(first3, size) + " ")) << pages[1];
    EXPECT_TRUE(Contains(pages[1], Address(first3 + first2 - 16, size) + " "));
}

TEST_F(PrintDocumentTest, CopiesWithAndWithoutCollation) {
    Open(static_cast<size_t>(RowsPerPage()) * 16 * 2 + 1); // three pages
    struct Case {
        bool collate;
        std::vector<std::string> footers;
    };
    const Case cases[] = {
        {true, {"- 1 / 3 -", "- 2 / 3 -", "- 1 / 3 -", "- 2 / 3 -"}},
        {false, {"- 1 / 3 -", "- 1 / 3 -", "- 2 / 3 -", "- 2 / 3 -"}},
    };
    for (const Case& c : cases) {
        auto document = Document();
        const std::vector<std::string> pages = Print(*document, 1, 2, 2, c.collate);
        ASSERT_EQ(pages.size(), c.footers.size()) << c.collate;
        for (size_t i = 0; i < pages.size(); ++i) {
            EXPECT_TRUE(Contains(pages[i], c.footers[i])) << "collate " << c.collate << " page " << i;
        }
    }
}

TEST_F(PrintDocumentTest, EmptyDataStillPrintsTitleHeadingsAndPageNumber) {
    Open(std::vector<unsigned char>(), "empty.bin");
    auto document = Document();
    const std::vector<std::string> pages = Print(*document);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "empty.bin"));
    EXPECT_TRUE(Contains(pages[0], "0123456789ABCDEF")) << pages[0];
    EXPECT_TRUE(Contains(PdfText::Squeezed(pages[0]), "D E F 0123456789ABCDEF")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "- 1 / 1 -"));
    // No data row: no address followed by cells.
    EXPECT_FALSE(Contains(pages[0], "0 00")) << pages[0];

    // A new buffer has no title, but its page is printed the same way.
    store.NewBuffer();
    const std::vector<std::string> unnamed = Print(*Document());
    ASSERT_EQ(unnamed.size(), 1u);
    EXPECT_FALSE(Contains(unnamed[0], "empty.bin"));
    EXPECT_TRUE(Contains(unnamed[0], "- 1 / 1 -"));
}

TEST_F(PrintDocumentTest, RowsShowAddressCellsAndTheTextColumn) {
    std::vector<unsigned char> bytes(0x1234, 0);
    const std::string text = "Hello, printer!";
    std::copy(text.begin(), text.end(), bytes.begin() + 0x10);
    Open(bytes);
    const std::vector<std::string> pages = Print(*Document(), 1, 1);
    ASSERT_EQ(pages.size(), 1u);
    // Four address digits for a data size of 0x1234.
    EXPECT_TRUE(
        Contains(PdfText::Squeezed(pages[0]), " 0010 48 65 6C 6C 6F 2C 20 70 72 69 6E 74 65 72 21 00 "))
        << pages[0];
    EXPECT_TRUE(Contains(pages[0], "Hello, printer!")) << pages[0];
    EXPECT_FALSE(Contains(pages[0], "00010 "));
}

TEST_F(PrintDocumentTest, BitRowsCarryTheBitRuler) {
    Open(std::vector<unsigned char>{0x05, 0xA0, 0x12, 0x34});
    const std::vector<std::string> bytes = Print(*Document(0, 0));
    ASSERT_EQ(bytes.size(), 1u);
    EXPECT_TRUE(Contains(bytes[0], "7654 3210")) << bytes[0];
    EXPECT_TRUE(Contains(PdfText::Squeezed(bytes[0]), " 0 0000 0101 1 1010 0000 2 0001 0010 3 0011 0100 "))
        << bytes[0];

    const std::vector<std::string> words = Print(*Document(1, 0));
    ASSERT_EQ(words.size(), 1u);
    EXPECT_TRUE(Contains(words[0], "5432 1098 7654 3210")) << words[0];
    EXPECT_FALSE(Contains(words[0], "9876 5432 1098 7654 3210"));
    // Little-endian: the second byte is the high one.
    EXPECT_TRUE(Contains(words[0], "1010 0000 0000 0101")) << words[0];
}

TEST_F(PrintDocumentTest, SymbolRowsCarryTheirNames) {
    std::vector<unsigned char> bytes(40);
    bytes[0] = 0x34;
    bytes[1] = 0x12;
    bytes[2] = 'K';
    Open(bytes);
    symbols.SetOwner(&store);
    symbols.SetBindNext(1);
    ASSERT_EQ(symbols.RegisterVariable("short", "width", 0, 0, 0), 1);
    ASSERT_EQ(symbols.RegisterVariable("char", "tag", 4, 0, 0), 1);
    symbols.SetBindNext(0);

    const std::vector<std::string> hex = Print(*Document(4, 1));
    ASSERT_EQ(hex.size(), 1u);
    EXPECT_TRUE(Contains(hex[0], "width")) << hex[0];
    EXPECT_TRUE(Contains(hex[0], "1234")) << hex[0];
    EXPECT_TRUE(Contains(hex[0], "tag")) << hex[0];
    // Rows of 1-byte elements in hexadecimal have the text column.
    EXPECT_TRUE(Contains(hex[0], "4B 00 00 00")) << hex[0];
    // SYMBOL display has no column headings.
    EXPECT_FALSE(Contains(hex[0], "0123456789ABCDEF"));

    const std::vector<std::string> sign = Print(*Document(4, 2));
    ASSERT_EQ(sign.size(), 1u);
    EXPECT_TRUE(Contains(sign[0], "width")) << sign[0];
    EXPECT_TRUE(Contains(sign[0], "4660")) << sign[0];
}

TEST_F(PrintDocumentTest, APageWithoutRoomForRowsCarriesTitleFooterAndAMessage) {
    Open(1000);
    options.font.height = -3000;
    auto document = Document();
    auto printer = CPrintDocument::MakePdfPrinter(QString::fromStdString(pdf));
    const PageGeometry geometry = document->Measure(*printer, false);
    EXPECT_LT(document->RowsPerPage(geometry), 1);
    EXPECT_EQ(document->PageCount(geometry), 1);
    const std::vector<std::string> pages = Print(*document);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(PdfText::Info(pdf, "Pages"), "1");
    const std::string text = PdfText::Squeezed(pages[0]);
    EXPECT_TRUE(Contains(text, "No data row fits on the page.")) << pages[0];
    EXPECT_TRUE(Contains(text, "data.bin")) << pages[0];
    EXPECT_TRUE(Contains(text, "- 1 / 1 -")) << pages[0];
}

TEST_F(PrintDocumentTest, AnUnwritablePdfIsAFailedStart) {
    Open(100);
    auto printer = CPrintDocument::MakePdfPrinter(
        QString::fromStdString(env.dir.path().toStdString() + "/no/such/dir/x.pdf"));
    EXPECT_EQ(Document()->Print(*printer, 1, 1, 1, true), PrintOutcome::StartFailed);
}

} // namespace
