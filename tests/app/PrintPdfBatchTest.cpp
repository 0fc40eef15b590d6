#include "PdfText.h"
#include "TestEnvironment.h"

#include "app/CBatchRunner.h"

#include <QFileInfo>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

int RunBatch(const std::vector<std::string>& args, std::string* errors = nullptr) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    std::vector<std::string> all = {"--batch", "--lang", "en"};
    all.insert(all.end(), args.begin(), args.end());
    const int status = CBatchRunner::Run(all, in, out, err);
    if (errors) {
        *errors = err.str();
    }
    return status;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class PrintPdfBatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PdfText::ToolsInstalled()) << "poppler-utils are needed"; }
    std::string Path(const std::string& name) const { return env.dir.path().toStdString() + "/" + name; }
    std::string Data(const std::string& name, const std::string& bytes) const {
        TestEnvironment::WriteFile(Path(name), bytes);
        return Path(name);
    }
    TestEnvironment env;
};

TEST_F(PrintPdfBatchTest, WritesThePrintoutOfTheData) {
    const std::string data = Data("notes.txt", "KIVRAN batch printout\n");
    const std::string pdf = Path("notes.pdf");
    std::string err;
    ASSERT_EQ(RunBatch({"--print-pdf", pdf, data}, &err), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(PdfText::Info(pdf, "Pages"), "1");
    EXPECT_EQ(PdfText::Info(pdf, "Page size").find("595"), 0u) << "A4";
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "notes.txt"));
    EXPECT_TRUE(Contains(pages[0], "- 1 / 1 -"));
    EXPECT_TRUE(Contains(pages[0], "4B 49 56 52 41 4E")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "KIVRAN batch pri")) << pages[0];
}

TEST_F(PrintPdfBatchTest, TheSavedPrintSettingsLayOutThePages) {
    const std::string data = Data("big.bin", std::string(20000, 'x'));
    const std::string pdf = Path("big.pdf");
    ASSERT_EQ(RunBatch({"--print-pdf", pdf, data}), 0);
    const int usual = std::atoi(PdfText::Info(pdf, "Pages").c_str());
    ASSERT_GT(usual, 1);
    env.WriteIni("[Print]\nMargin[1]=80\nMargin[3]=80\nBetweenLine=30\n");
    ASSERT_EQ(RunBatch({"--print-pdf", pdf, data}), 0);
    const int narrow = std::atoi(PdfText::Info(pdf, "Pages").c_str());
    EXPECT_GT(narrow, usual * 2);
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_EQ(static_cast<int>(pages.size()), narrow);
    EXPECT_TRUE(Contains(pages[1], "- 2 / " + std::to_string(narrow) + " -"));
}

TEST_F(PrintPdfBatchTest, SymbolRowsArePrintedWithTheirNames) {
    const std::string symbols = Data("hdr.sym", "$char magic[4];\n$short width;\n$short height;\n");
    std::string bytes = "GIF8";
    bytes += std::string("\x40\x01\xF0\x00", 4);
    bytes += std::string(24, '\0');
    const std::string data = Data("image.gif", bytes);
    const std::string pdf = Path("image.pdf");
    std::string err;
    ASSERT_EQ(RunBatch({"--symbols", symbols, "--print-pdf", pdf, data}, &err), 0) << err;
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "magic")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "width")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "0140")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "height")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "00F0")) << pages[0];
    // Without the symbols the same data prints as plain 1-byte rows.
    ASSERT_EQ(RunBatch({"--no-symbols", "--print-pdf", pdf, data}), 0);
    EXPECT_FALSE(Contains(PdfText::Pages(pdf)[0], "width"));
}

TEST_F(PrintPdfBatchTest, AScriptErrorStillPrintsWhatThereIs) {
    const std::string symbols = Data("bad.sym", "$short first;\nnothing();\n");
    const std::string data = Data("d.bin", std::string("\x34\x12\x56", 3));
    const std::string pdf = Path("d.pdf");
    std::string err;
    EXPECT_EQ(RunBatch({"--symbols", symbols, "--print-pdf", pdf, data}, &err), 1);
    EXPECT_TRUE(Contains(err, "Unknown function")) << err;
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "first")) << pages[0];
    EXPECT_TRUE(Contains(pages[0], "1234")) << pages[0];
}

TEST_F(PrintPdfBatchTest, UnreadableDataOrAnUnwritableOutputIsStatusTwo) {
    std::string err;
    EXPECT_EQ(RunBatch({"--print-pdf", Path("x.pdf"), Path("missing.bin")}, &err), 2);
    EXPECT_TRUE(Contains(err, "cannot read")) << err;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("x.pdf"))));

    const std::string data = Data("d.bin", "abc");
    EXPECT_EQ(RunBatch({"--print-pdf", Path("no/such/dir/x.pdf"), data}, &err), 2);
    EXPECT_TRUE(Contains(err, "cannot write")) << err;
    EXPECT_EQ(RunBatch({"--print-pdf"}, &err), 2);
    EXPECT_TRUE(Contains(err, "--print-pdf needs a value")) << err;
}

TEST_F(PrintPdfBatchTest, AnEmptyBufferPrintsOnePage) {
    const std::string pdf = Path("empty.pdf");
    ASSERT_EQ(RunBatch({"--print-pdf", pdf}), 0);
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0], "0123456789ABCDEF"));
    EXPECT_TRUE(Contains(pages[0], "- 1 / 1 -"));
}

// The program itself, started without any display: it makes its own offscreen platform for the PDF.
TEST_F(PrintPdfBatchTest, TheProgramWritesThePdfWithoutADisplay) {
    const std::string program = std::string(KIVRAN_BIN_DIR) + "/kivran";
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(program)));
    const std::string data = Data("p.bin", std::string(5000, 'p'));
    const std::string pdf = Path("p.pdf");
    const std::string errors = Path("err.txt");
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME='" +
                                env.dir.path().toStdString() + "/config' '" + program +
                                "' --batch --print-pdf '" + pdf + "' '" + data + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(TestEnvironment::ReadFile(errors), "");
    const std::vector<std::string> pages = PdfText::Pages(pdf);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_TRUE(Contains(pages[1], "- 2 / " + std::to_string(pages.size()) + " -")) << pages[1];

    const int unwritable = std::system(
        ("env -u DISPLAY '" + program + "' --batch --print-pdf /proc/nope/x.pdf '" + data + "' 2>/dev/null")
            .c_str());
    ASSERT_TRUE(WIFEXITED(unwritable));
    EXPECT_EQ(WEXITSTATUS(unwritable), 2);
}

} // namespace
