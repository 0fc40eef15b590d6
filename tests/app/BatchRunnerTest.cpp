#include "TestEnvironment.h"

#include "app/CBatchRunner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

BatchRun RunBatch(const std::vector<std::string>& args, const std::string& input = std::string()) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    BatchRun run;
    std::vector<std::string> all = {"--batch", "--lang", "en"};
    all.insert(all.end(), args.begin(), args.end());
    run.status = CBatchRunner::Run(all, in, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(BatchRunner, TheSymbolFileOfTheExtensionComesFromMacroDir) {
    TestEnvironment env;
    const std::string symbols = env.dir.path().toStdString() + "/symbols";
    std::system(("mkdir -p '" + symbols + "'").c_str());
    env.WriteIni("[Option]\nMacroDir=" + symbols + "\n");
    TestEnvironment::WriteFile(symbols + "/GIF.SYM", "$char signature[3];\n");
    TestEnvironment::WriteFile(env.exeDir + "/GIF.SYM", "$char other;\n");
    const std::string data = env.dir.path().toStdString() + "/photo.gif";
    TestEnvironment::WriteFile(data, "GIF89a");

    BatchRun run = RunBatch({"--json", data});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\"name\": \"signature\"")) << run.out;

    BatchRun none = RunBatch({"--json", "--no-symbols", data});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "[]\n");
}

TEST(BatchRunner, WithoutMacroDirTheProgramDirectoryHoldsTheSymbolFiles) {
    TestEnvironment env;
    env.WriteIni("[Option]\nMacroDir=" + env.dir.path().toStdString() + "/missing\n");
    TestEnvironment::WriteFile(env.exeDir + "/gif.sym", "$short header;\n");
    const std::string data = env.dir.path().toStdString() + "/PHOTO.GIF";
    TestEnvironment::WriteFile(data, "GIF89a");

    BatchRun run = RunBatch({"--json", data});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\"name\": \"header\"")) << run.out;

    // A file without an extension has no symbol file, and a missing symbol file is no error.
    const std::string plain = env.dir.path().toStdString() + "/README";
    TestEnvironment::WriteFile(plain, "text");
    EXPECT_EQ(RunBatch({"--json", plain}).out, "[]\n");
    const std::string other = env.dir.path().toStdString() + "/x.png";
    TestEnvironment::WriteFile(other, "png");
    BatchRun missing = RunBatch({"--json", other});
    EXPECT_EQ(missing.status, 0);
    EXPECT_EQ(missing.out, "[]\n");
    EXPECT_EQ(missing.err, "");
}

TEST(BatchRunner, BadUsageIsStatusTwoWithTheUsage) {
    TestEnvironment env;
    const std::string data = env.dir.path().toStdString() + "/d.bin";
    TestEnvironment::WriteFile(data, "x");
    const std::vector<std::vector<std::string>> cases = {
        {"--symbols", data, "--no-symbols"},
        {"--unknown"},
        {data, data},
        {"--lang=fr"},
        {"--macro"},
        {"--json=1"},
    };
    for (const auto& args : cases) {
        BatchRun run = RunBatch(args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_TRUE(Contains(run.err, "usage: kivran --batch")) << args.front();
    }
    BatchRun help = RunBatch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "[--dump-symbols] [--json] [--save OUT] [DATA]"));
}

TEST(BatchRunner, FilesThatCannotBeReadOrWritten) {
    TestEnvironment env;
    const std::string root = env.dir.path().toStdString();
    TestEnvironment::WriteFile(root + "/m.mac", "Add(\"AB\");\n");
    EXPECT_EQ(RunBatch({root + "/none.bin"}).status, 2);
    EXPECT_EQ(RunBatch({"--macro", root + "/none.mac"}).status, 2);
    EXPECT_EQ(RunBatch({"--symbols", root + "/none.sym"}).status, 2);
    EXPECT_EQ(RunBatch({"--macro", root}).status, 2);
    BatchRun save = RunBatch({"--macro", root + "/m.mac", "--save", root + "/no/such/folder/out"});
    EXPECT_EQ(save.status, 2);
    EXPECT_TRUE(Contains(save.err, "cannot write"));

    ASSERT_EQ(RunBatch({"--macro", root + "/m.mac", "--save", root + "/out"}).status, 0);
    EXPECT_EQ(TestEnvironment::ReadFile(root + "/out"), "AB");
}

TEST(BatchRunner, ASymbolErrorStopsBeforeTheMacroButTheOutputsStillCome) {
    TestEnvironment env;
    const std::string root = env.dir.path().toStdString();
    TestEnvironment::WriteFile(root + "/s.sym", "$char a;\nnothing();\n");
    TestEnvironment::WriteFile(root + "/m.mac", "MessageBox(\"macro ran\");\n");
    TestEnvironment::WriteFile(root + "/d.bin", std::string("\x01\x02", 2));
    BatchRun run = RunBatch({"--symbols", root + "/s.sym", "--macro", root + "/m.mac", "--json", "--save",
                             root + "/out", root + "/d.bin"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(Contains(run.out, "macro ran"));
    EXPECT_TRUE(Contains(run.out, "\"name\": \"a\""));
    EXPECT_EQ(run.err, "Macro Error\nFile:" + root + "/s.sym\nLine2 nothing();\nUnknown function\n");
    EXPECT_EQ(TestEnvironment::ReadFile(root + "/out"), std::string("\x01\x02", 2));
}

TEST(BatchRunner, MessagesPromptsAndTheClipboard) {
    TestEnvironment env;
    const std::string root = env.dir.path().toStdString();
    TestEnvironment::WriteFile(root + "/m.mac", "int v = 1;\n"
                                                "InputData(\"Value?\", \"t\", &v);\n"
                                                "Copy(\"c\" + tostr(v));\n"
                                                "MessageBox(Paste());\n"
                                                "MessageBox(\"日本語\");\n");
    BatchRun run = RunBatch({"--macro", root + "/m.mac", "--print-vars"}, "x\r\n7\r\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "c7\n日本語\nv = 7\n");
    EXPECT_EQ(run.err, "Value?\nFind illegal charactor\n");
}

} // namespace
