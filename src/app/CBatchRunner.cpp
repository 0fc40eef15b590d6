#include "app/CBatchRunner.h"

#include "app/SettingsStore.h"
#include "engine/CCalcManager.h"
#include "engine/CFlowManager.h"
#include "engine/CVariableManager.h"
#include "engine/EngineErrors.h"
#include "engine/ScriptFile.h"
#include "engine/VariableDump.h"
#include "platform/CodePage932.h"

#include <functional>
#include <new>
#include <ostream>

namespace {

// What the command line asks for. Later options (--symbols, --dump-symbols, --save, DATA) add a field here
// and a row to kOptions.
struct BatchOptions {
    std::string macro;
    bool printVars = false;
    int language = -1; // -1: the stored UI language
    std::vector<std::string> positional;
};

struct OptionSpec {
    const char* name;
    bool takesValue;
    // Applies the option; returns an error text, empty when the value is accepted.
    std::function<std::string(BatchOptions&, const std::string&)> apply;
};

const std::vector<OptionSpec>& Options() {
    static const std::vector<OptionSpec> options = {
        {"--batch", false, [](BatchOptions&, const std::string&) { return std::string(); }},
        {"--macro", true,
         [](BatchOptions& o, const std::string& v) {
             o.macro = v;
             return std::string();
         }},
        {"--print-vars", false,
         [](BatchOptions& o, const std::string&) {
             o.printVars = true;
             return std::string();
         }},
        {"--lang", true,
         [](BatchOptions& o, const std::string& v) {
             if (v == "ja") {
                 o.language = 0;
             } else if (v == "en") {
                 o.language = 1;
             } else {
                 return std::string("--lang takes en or ja");
             }
             return std::string();
         }},
    };
    return options;
}

// Parses the arguments; returns an error text, empty on success.
std::string Parse(const std::vector<std::string>& args, BatchOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.positional.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::string value;
        bool inlineValue = false;
        size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& o : Options()) {
            if (name == o.name) {
                spec = &o;
            }
        }
        if (!spec) {
            return "unknown option " + name;
        }
        if (spec->takesValue && !inlineValue) {
            if (i + 1 >= args.size()) {
                return name + " needs a value";
            }
            value = args[++i];
        } else if (!spec->takesValue && inlineValue) {
            return name + " takes no value";
        }
        std::string error = spec->apply(options, value);
        if (!error.empty()) {
            return error;
        }
    }
    if (!options.positional.empty()) {
        return "unexpected argument " + options.positional.front();
    }
    return std::string();
}

// Engine text (code page 932) for the terminal: UTF-8 when the text converts back and forth without loss,
// otherwise the bytes as they are.
std::string ForOutput(const std::string& text) {
    std::string utf8 = CodePage932::ToUtf8(text);
    return CodePage932::FromUtf8(utf8) == text ? utf8 : text;
}

// Runs the macro with the engine's own interpreter as a macro run of the editor would: loop limit 1000,
// redefinitions of typedefs and structs tolerated, double-byte names.
int RunMacro(const BatchOptions& options, int language, std::ostream& out, std::ostream& err) {
    CVariableManager variables;
    CCalcManager calc;
    CFlowManager flow;
    calc.SetVariableManager(&variables);
    calc.SetFlowManager(&flow);
    calc.SetMessageHandler([&out](const std::string& message) { out << ForOutput(message) << '\n'; });
    flow.SetCalcManager(&calc);
    flow.SetVariableManager(&variables);
    flow.SetIncludeDir(ScriptFile::DirectoryOf(options.macro));
    flow.SetMaxLoop(1000);
    flow.SetTolerance(3);
    flow.SetDbcsNames(1);

    ScriptFile::RunResult result;
    if (!ScriptFile::Run(flow, options.macro, result)) {
        err << "kivran: cannot read the macro file " << options.macro << '\n';
        return 2;
    }
    if (options.printVars) {
        for (const std::string& line : VariableDump::Lines(variables)) {
            out << ForOutput(line) << '\n';
        }
    }
    out.flush();
    if (result.error) {
        err << ScriptFile::FormatReport(options.macro, result.line, ForOutput(result.lineText),
                                        EngineErrors::TextUtf8(result.error, language))
            << '\n';
        return 1;
    }
    return 0;
}

} // namespace

bool CBatchRunner::IsBatch(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--batch") {
            return true;
        }
    }
    return false;
}

int CBatchRunner::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    BatchOptions options;
    std::string error = Parse(args, options);
    if (!error.empty()) {
        err << "kivran: " << error << '\n'
            << "usage: kivran --batch [--macro FILE.mac] [--print-vars] [--lang en|ja]\n";
        return 2;
    }
    int language = options.language >= 0 ? options.language : SettingsStore::ReadStoredLanguage();
    if (options.macro.empty()) {
        return 0;
    }
    try {
        return RunMacro(options, language, out, err);
    } catch (const std::bad_alloc&) {
        err << "kivran: out of memory\n";
        return 1;
    }
}
