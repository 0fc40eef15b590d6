#include "TempFolder.h"

#include "binding/CSymbolFileLocator.h"

#include <gtest/gtest.h>

namespace {

TEST(CSymbolFileLocator, ExtensionIsTheTextAfterTheLastDotOfTheFileName) {
    EXPECT_EQ(CSymbolFileLocator::ExtensionOf("/d/photo.gif"), "gif");
    EXPECT_EQ(CSymbolFileLocator::ExtensionOf("archive.tar.GZ"), "GZ");
    EXPECT_EQ(CSymbolFileLocator::ExtensionOf("/d.x/README"), "");
    EXPECT_EQ(CSymbolFileLocator::ExtensionOf("README"), "");
    EXPECT_EQ(CSymbolFileLocator::ExtensionOf("/d/name."), "");
}

TEST(CSymbolFileLocator, FindsTheSymbolFileWhateverTheCaseOfItsName) {
    TempFolder folder;
    const std::string gif = folder.Write("GIF.SYM", "$char a;");
    const std::string jpg = folder.Write("jpg.sym", "$char a;");
    const std::string exact = folder.Write("bmp.SYM", "$char a;");
    folder.Write("BMP.SYM", "$char b;");
    folder.Write("png.sym.bak", "");
    std::filesystem::create_directory(folder.Path() + "/TXT.SYM");
    const std::string& dir = folder.Path();

    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("/data/photo.gif", dir), gif);
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("/data/photo.GIF", dir), gif);
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("x.JPG", dir), jpg);
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("x.bmp", dir), exact);
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("x.png", dir), "");
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("x.txt", dir), "");
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("README", dir), "");
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("x.gif", dir + "/missing"), "");
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("x.gif", ""), "");
}

TEST(CSymbolFileLocator, SymbolDirectoryIsMacroDirWhenItExists) {
    TempFolder folder;
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory(folder.Path(), "/program"), folder.Path());
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory(folder.Path() + "/none", "/program"), "/program");
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory("", "/program"), "/program");
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory(folder.Write("file", "x"), "/program"), "/program");
}

// An installed copy: P/bin holds the program only, P/share/kivran the symbol files and help pages.
TEST(CSymbolFileLocator, InstalledCopyFindsItsFilesInTheDataDirectory) {
    TempFolder prefix;
    const std::string bin = prefix.Path() + "/bin";
    prefix.Write("bin/kivran", "");
    const std::string gif = prefix.Write("share/kivran/GIF.SYM", "$char a;");
    const std::string guide = prefix.Write("share/kivran/UserGuide.html", "<html></html>");
    const std::string data = prefix.Path() + "/share/kivran";

    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory("", bin), data);
    EXPECT_EQ(CSymbolFileLocator::SymbolFileFor("photo.gif", CSymbolFileLocator::SymbolDirectory("", bin)),
              gif);
    EXPECT_EQ(CSymbolFileLocator::ProgramFile("UserGuide.html", bin), guide);
    // Neither here nor there: the path beside the program, which the viewer then reports missing.
    EXPECT_EQ(CSymbolFileLocator::ProgramFile("MacroHelp.html", bin), bin + "/MacroHelp.html");

    // MacroDir still comes first.
    TempFolder macros;
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory(macros.Path(), bin), macros.Path());
}

TEST(CSymbolFileLocator, FilesBesideTheProgramWinOverTheDataDirectory) {
    TempFolder prefix;
    const std::string bin = prefix.Path() + "/bin";
    prefix.Write("bin/kivran", "");
    prefix.Write("share/kivran/GIF.SYM", "$char a;");
    prefix.Write("share/kivran/UserGuide.html", "installed");
    // A build tree or a portable copy: any symbol file beside the program makes it the symbol directory,
    // whatever the case of its name.
    prefix.Write("bin/own.sym", "$char b;");
    const std::string guide = prefix.Write("bin/UserGuide.html", "beside");

    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory("", bin), bin);
    EXPECT_EQ(CSymbolFileLocator::ProgramFile("UserGuide.html", bin), guide);
    EXPECT_TRUE(CSymbolFileLocator::HoldsSymbolFiles(bin));
    EXPECT_FALSE(CSymbolFileLocator::HoldsSymbolFiles(prefix.Path()));
}

TEST(CSymbolFileLocator, WithoutADataDirectoryTheProgramDirectoryStays) {
    TempFolder prefix;
    const std::string bin = prefix.Path() + "/bin";
    prefix.Write("bin/kivran", "");
    // A directory named like a symbol file is no symbol file.
    std::filesystem::create_directories(bin + "/X.SYM");
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory("", bin), bin);
    EXPECT_EQ(CSymbolFileLocator::SymbolDirectory("", ""), "");
}

} // namespace
