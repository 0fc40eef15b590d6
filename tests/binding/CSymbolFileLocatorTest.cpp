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

} // namespace
