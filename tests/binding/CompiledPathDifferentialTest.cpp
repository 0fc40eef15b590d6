// Every script conformance case runs twice, once through the compiled forms of statements and expressions and
// once straight from the text, over the same data and with the same answers from the user; the two runs must
// leave the same variables, symbols, data, messages and error report.
#include "BindingHarness.h"

#include "binding/CScriptRun.h"
#include "engine/FastPaths.h"
#include "engine/VariableDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The fixtures a case's comments ask for ("// data hex:", "// data:", "// symbols:", "// stdin:", "//
// lang:").
struct CaseFixtures {
    std::vector<unsigned char> data;
    std::string symbols;
    std::vector<std::string> answers;
    int language = 1;
};

CaseFixtures ReadFixtures(const fs::path& path) {
    CaseFixtures f;
    std::istringstream lines(ReadAll(path.string()));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        size_t at = line.find("// ");
        if (at == std::string::npos) {
            continue;
        }
        std::string comment = line.substr(at + 3);
        auto value = [&](size_t skip) {
            std::string v = comment.substr(skip);
            size_t b = v.find_first_not_of(' ');
            return b == std::string::npos ? std::string() : v.substr(b);
        };
        if (comment.rfind("data hex:", 0) == 0) {
            std::istringstream hex(comment.substr(9));
            std::string byte;
            while (hex >> byte) {
                f.data.push_back(static_cast<unsigned char>(std::stoul(byte, nullptr, 16)));
            }
        } else if (comment.rfind("data: ", 0) == 0) {
            std::string bytes = ReadAll((path.parent_path() / value(6)).string());
            f.data.assign(bytes.begin(), bytes.end());
        } else if (comment.rfind("symbols: ", 0) == 0) {
            f.symbols = (path.parent_path() / value(9)).string();
        } else if (comment.rfind("stdin: ", 0) == 0) {
            f.answers.push_back(comment.substr(7));
        } else if (comment.rfind("lang: ", 0) == 0) {
            f.language = value(6) == "ja" ? 0 : 1;
        }
    }
    return f;
}

// Everything a run leaves behind that a user or a later script could see.
struct Outcome {
    std::vector<std::string> report;
    std::vector<std::string> variables;
    std::vector<std::string> symbols;
    std::vector<unsigned char> data;
    std::vector<std::string> host;

    bool operator==(const Outcome& o) const {
        return report == o.report && variables == o.variables && symbols == o.symbols && data == o.data &&
               host == o.host;
    }
};

void Describe(std::vector<std::string>& out, const char* what, const ScriptRunResult& r) {
    out.push_back(std::string(what) + " readable=" + std::to_string(r.readable) +
                  " error=" + std::to_string(r.error) + " line=" + std::to_string(r.line) +
                  " text=" + r.lineText + " aborted=" + std::to_string(r.aborted) + " message=" + r.message +
                  " littleEndian=" + std::to_string(r.littleEndian));
}

Outcome RunCase(const fs::path& path, bool compiled) {
    const CaseFixtures fixtures = ReadFixtures(path);
    FastPaths::SetMode(compiled ? FastPaths::Mode::kCompiledEverywhere : FastPaths::Mode::kText);
    Outcome o;
    CDataStore store;
    if (!fixtures.data.empty()) {
        store.InsertData(0, fixtures.data.data(), fixtures.data.size(), 0, 0);
    }
    CKvrVMan vman;
    vman.SetOwner(&store);
    FakeScriptHost host;
    host.answers.assign(fixtures.answers.begin(), fixtures.answers.end());
    if (!fixtures.symbols.empty()) {
        Describe(o.report, "symbols",
                 CScriptRun::Run(vman, host, fixtures.symbols, CScriptRun::kSymbolFile, fixtures.language));
    }
    Describe(o.report, "macro",
             CScriptRun::Run(vman, host, path.string(), CScriptRun::kMacro, fixtures.language,
                             [&](const CKvrVMan& v) { o.variables = VariableDump::Lines(v); }));
    FastPaths::SetMode(FastPaths::Mode::kCompiled);
    for (size_t i = 0; i < vman.SymbolCount(); ++i) {
        CKvrVMan::Record r = vman.SymbolAt(i);
        o.symbols.push_back(r.type + " " + r.name + " @" + std::to_string(r.offset) + " x" +
                            std::to_string(r.count) + " rows " + std::to_string(r.rows));
    }
    o.data.resize(store.GetDataSize());
    if (!o.data.empty()) {
        store.ReadData(0, o.data.data(), o.data.size());
    }
    for (const auto& m : host.messages) {
        o.host.push_back("message " + m.text + " | " + m.caption + " | " + std::to_string(m.style));
    }
    for (const auto& p : host.prompts) {
        o.host.push_back("prompt " + p.prompt + " | " + p.title + " | " + std::to_string(p.valueType));
    }
    o.host.push_back("clipboard " + host.clipboard);
    for (int percent : host.progress) {
        o.host.push_back("progress " + std::to_string(percent));
    }
    return o;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) {
        s += l + "\n";
    }
    return s;
}

TEST(CompiledPathDifferential, EveryConformanceScriptGivesTheSameOutcomeOnBothPaths) {
    const fs::path root = fs::path(KIVRAN_TEST_DATA_DIR) / "scripts";
    ASSERT_TRUE(fs::is_directory(root));
    std::vector<fs::path> cases;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().extension() == ".mac") {
            cases.push_back(entry.path());
        }
    }
    std::sort(cases.begin(), cases.end());
    ASSERT_GT(cases.size(), 100u);
    int withVariables = 0;
    int withErrors = 0;
    for (const fs::path& path : cases) {
        const Outcome text = RunCase(path, false);
        const Outcome compiled = RunCase(path, true);
        EXPECT_TRUE(text == compiled)
            << path << "\n--- text path\n"
            << Join(text.report) << Join(text.variables) << Join(text.host) << "--- compiled path\n"
            << Join(compiled.report) << Join(compiled.variables) << Join(compiled.host);
        withVariables += text.variables.empty() ? 0 : 1;
        withErrors += text.report.back().find(" error=0 ") == std::string::npos ? 1 : 0;
    }
    // The comparison means something only when the cases leave variables behind and fail in many ways.
    EXPECT_GT(withVariables, 80);
    EXPECT_GT(withErrors, 40);
}

} // namespace
