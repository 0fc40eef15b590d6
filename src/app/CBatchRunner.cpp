#include "app/CBatchRunner.h"

#include "app/CBatchScriptHost.h"
#include "binding/CKvrVMan.h"
#include "binding/CScriptRun.h"
#include "binding/CSymbolFileLocator.h"
#include "data/CDataStore.h"
#include "data/CEditCommands.h"
#include "data/CRowLayout.h"
#include "data/ValueFormat.h"
#include "engine/EngineErrors.h"
#include "engine/ScriptFile.h"
#include "engine/VariableDump.h"
#include "platform/CodePage932.h"
#include "platform/ExecutablePath.h"
#include "print/CPrintDocument.h"
#include "settings/KivranSettings.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPrinter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <new>
#include <ostream>

namespace {

const char kUsage[] =
    "usage: kivran --batch [--lang en|ja] [--symbols FILE.SYM | --no-symbols] [--macro FILE.mac]\n"
    "                      [--print-pdf OUT.pdf] [--print-vars] [--dump-symbols] [--json] [--save OUT] "
    "[DATA]\n"
    "  DATA            the file to open (none: an empty buffer)\n"
    "  --symbols FILE  the symbol file to run (default: the extension of DATA + \".SYM\" from the symbol\n"
    "                  directory, when it exists: the MacroDir setting, else the program's directory\n"
    "                  when it holds symbol files, else the installed <prefix>/share/kivran)\n"
    "  --no-symbols    run no symbol file\n"
    "  --macro FILE    the macro to run after the symbol file\n"
    "  --print-vars    print the macro's variables after it ran\n"
    "  --dump-symbols  print the rows of the SYMBOL view (address, name, cells in hexadecimal)\n"
    "  --json          print the symbol table as a JSON array\n"
    "  --save OUT      write the data as the scripts left it to OUT\n"
    "  --print-pdf OUT write the printout of the data to the PDF file OUT: A4 pages with the saved\n"
    "                  margins, line spacing and print font, in SYMBOL rows when symbols are declared\n"
    "Message boxes print their text on standard output; prompts read standard input. A script error is\n"
    "reported on standard error with exit status 1; an error in the symbol file stops before the macro, but\n"
    "--dump-symbols, --json, --save and --print-pdf still show and write what there is. Exit status 2: bad\n"
    "usage, or DATA, a named symbol or macro file cannot be read, or an OUT cannot be written.\n";

// What the command line asks for.
struct BatchOptions {
    std::string data;
    std::string symbols;
    bool noSymbols = false;
    std::string macro;
    bool printVars = false;
    bool dumpSymbols = false;
    bool json = false;
    std::string save;
    std::string printPdf;
    bool help = false;
    int language = -1; // -1: the stored UI language
    std::vector<std::string> positional;
};

struct OptionSpec {
    const char* name;
    bool takesValue;
    // Applies the option; returns an error text, empty when the value is accepted.
    std::function<std::string(BatchOptions&, const std::string&)> apply;
};

// An option that sets a text field.
OptionSpec Text(const char* name, std::string BatchOptions::*field) {
    return {name, true, [field](BatchOptions& o, const std::string& v) {
                if (v.empty()) {
                    return std::string("an empty value is not a file name");
                }
                o.*field = v;
                return std::string();
            }};
}

// An option that sets a flag.
OptionSpec Flag(const char* name, bool BatchOptions::*field) {
    return {name, false, [field](BatchOptions& o, const std::string&) {
                o.*field = true;
                return std::string();
            }};
}

const std::vector<OptionSpec>& Options() {
    static const std::vector<OptionSpec> options = {
        {"--batch", false, [](BatchOptions&, const std::string&) { return std::string(); }},
        Text("--symbols", &BatchOptions::symbols),
        Flag("--no-symbols", &BatchOptions::noSymbols),
        Text("--macro", &BatchOptions::macro),
        Flag("--print-vars", &BatchOptions::printVars),
        Flag("--dump-symbols", &BatchOptions::dumpSymbols),
        Flag("--json", &BatchOptions::json),
        Text("--save", &BatchOptions::save),
        Text("--print-pdf", &BatchOptions::printPdf),
        Flag("--help", &BatchOptions::help),
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
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
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
    if (options.positional.size() > 1) {
        return "unexpected argument " + options.positional[1];
    }
    if (!options.positional.empty()) {
        options.data = options.positional.front();
    }
    if (!options.symbols.empty() && options.noSymbols) {
        return "--symbols and --no-symbols exclude each other";
    }
    return std::string();
}

bool Readable(const std::string& path) {
    std::string text;
    return ScriptFile::Load(path, text);
}

// The symbol file DATA's extension names, from the symbol directory; empty when there is none.
std::string LocateSymbolFile(const std::string& dataPath) {
    SettingsStore store;
    store.Open(SettingsStore::ReadUseRegistry(), SettingsStore::DefaultIniPath());
    std::string macroDir = store.ReadString("Option", "MacroDir", "");
    std::string dir = CSymbolFileLocator::SymbolDirectory(macroDir, ExecutablePath::Directory());
    return CSymbolFileLocator::SymbolFileFor(dataPath, dir);
}

void Report(std::ostream& err, const std::string& path, const ScriptRunResult& result, int language) {
    err << ScriptFile::FormatReport(path, result.line, CBatchScriptHost::ForOutput(result.lineText),
                                    EngineErrors::TextUtf8(result.error, language))
        << '\n';
    err.flush();
}

// The SYMBOL rows as Copy puts them on the clipboard, one line per row.
void DumpSymbols(std::ostream& out, CDataStore& store, const CKvrVMan& vman) {
    CRowLayout layout(kSizeSymbol, kTypeHex, 20);
    layout.SetSymbols(&vman);
    CEditCommands commands(store, layout);
    EditOptions options;
    options.format.littleEndian = vman.IsBigEndian() ? 0 : 1;
    options.nameColumnChars = static_cast<int>(std::min<uint64_t>(vman.GetNameWidth(), 1u << 20));
    std::string text = commands.CopyText(0, store.GetDataSize(), options);
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        if (text[i] == '\n') {
            out << CBatchScriptHost::ForOutput(line) << '\n';
            line.clear();
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) {
        out << CBatchScriptHost::ForOutput(line) << '\n';
    }
}

std::string JsonString(const std::string& text) {
    std::string utf8 = CodePage932::ToUtf8(text);
    std::string json = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            json += escape;
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

void PrintJson(std::ostream& out, const CKvrVMan& vman) {
    const size_t count = vman.SymbolCount();
    if (count == 0) {
        out << "[]\n";
        return;
    }
    out << "[\n";
    for (size_t i = 0; i < count; ++i) {
        CKvrVMan::Record r = vman.SymbolAt(i);
        out << "  {\"name\": " << JsonString(r.name) << ", \"type\": " << JsonString(r.type)
            << ", \"offset\": " << r.offset << ", \"count\": " << r.count
            << ", \"elementSize\": " << r.elementSize << ", \"rows\": " << r.rows << "}"
            << (i + 1 < count ? "," : "") << "\n";
    }
    out << "]\n";
}

// Qt's diagnostics (a missing runtime directory, font substitutions) are not part of batch mode's output.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << message.toStdString() << '\n';
    }
}

// Pages need a GUI application object. Batch mode makes one on the offscreen platform, so that no display is
// needed; fonts still come from fontconfig.
class OffscreenGui {
public:
    OffscreenGui() {
        if (QCoreApplication::instance() == nullptr) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            own = std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    bool Ready() const { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

private:
    int argc = 1;
    char name[7] = "kivran";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> own;
};

// The printout as the editor shows the data after opening it: SYMBOL rows when the symbol file declared any,
// else 1BYTE HEX, in the byte order the scripts left, with the saved print settings.
bool WritePdf(const std::string& path, const CDataStore& store, const CKvrVMan& vman, int language) {
    const QtMessageHandler previous = qInstallMessageHandler(QuietQtMessages);
    bool written = false;
    {
        OffscreenGui gui;
        if (gui.Ready()) {
            KivranSettings settings;
            SettingsStore saved;
            saved.Open(SettingsStore::ReadUseRegistry(), SettingsStore::DefaultIniPath());
            settings.Load(saved, ExecutablePath::Directory());
            saved.Close();

            const int floatWidth = 20;
            CRowLayout layout(vman.GetSymbolRows() > 0 ? kSizeSymbol : kSize1Byte, kTypeHex, floatWidth);
            layout.SetSymbols(&vman);
            ValueFormatOptions format;
            format.littleEndian = vman.IsBigEndian() ? 0 : 1;
            format.charSet = settings.charSet == 1 ? 1 : 0;
            format.floatWidth = floatWidth;
            format.floatPrecision = settings.floatPrecision;
            ClampFloatFormat(format.floatWidth, format.floatPrecision);
            PrintOptions print;
            for (size_t i = 0; i < 4; ++i) {
                print.margins.margin[i] = settings.margin[i];
            }
            print.margins.betweenLine = settings.betweenLine;
            print.font = settings.printFont;

            CPrintDocument document(store);
            document.SetLayout(layout);
            document.SetFormat(format);
            document.SetOptions(print);
            document.SetLanguage(language);
            std::unique_ptr<QPrinter> printer = CPrintDocument::MakePdfPrinter(QString::fromStdString(path));
            written = document.Print(*printer, 1, INT64_MAX, 1, true) == PrintOutcome::Printed;
        }
    }
    qInstallMessageHandler(previous);
    return written;
}

int RunBatch(const BatchOptions& options, int language, std::istream& in, std::ostream& out,
             std::ostream& err) {
    CDataStore store;
    if (!options.data.empty() && !store.OpenFile(options.data).success) {
        err << "kivran: cannot read the data file " << options.data << '\n';
        return 2;
    }
    if (!options.symbols.empty() && !Readable(options.symbols)) {
        err << "kivran: cannot read the symbol file " << options.symbols << '\n';
        return 2;
    }
    if (!options.macro.empty() && !Readable(options.macro)) {
        err << "kivran: cannot read the macro file " << options.macro << '\n';
        return 2;
    }

    CBatchScriptHost host(in, out, err, language);
    CKvrVMan vman;
    vman.SetOwner(&store);
    int status = 0;

    std::string symbolFile = options.symbols;
    if (symbolFile.empty() && !options.noSymbols && !options.data.empty()) {
        symbolFile = LocateSymbolFile(options.data);
    }
    if (!symbolFile.empty()) {
        ScriptRunResult r = CScriptRun::Run(vman, host, symbolFile, CScriptRun::kSymbolFile, language);
        if (r.readable && r.error != 0) {
            out.flush();
            Report(err, symbolFile, r, language);
            status = 1;
        }
    }

    if (status == 0 && !options.macro.empty()) {
        std::vector<std::string> variables;
        ScriptRunResult r =
            CScriptRun::Run(vman, host, options.macro, CScriptRun::kMacro, language, [&](const CKvrVMan& v) {
                if (options.printVars) {
                    variables = VariableDump::Lines(v);
                }
            });
        if (!r.readable) {
            err << "kivran: cannot read the macro file " << options.macro << '\n';
            return 2;
        }
        for (const std::string& line : variables) {
            out << CBatchScriptHost::ForOutput(line) << '\n';
        }
        if (r.error != 0) {
            out.flush();
            Report(err, options.macro, r, language);
            status = 1;
        }
    }

    if (options.dumpSymbols) {
        DumpSymbols(out, store, vman);
    }
    if (options.json) {
        PrintJson(out, vman);
    }
    out.flush();
    if (!options.save.empty() && !store.SaveFile(options.save)) {
        err << "kivran: cannot write " << options.save << '\n';
        return 2;
    }
    if (!options.printPdf.empty() && !WritePdf(options.printPdf, store, vman, language)) {
        err << "kivran: cannot write " << options.printPdf << '\n';
        return 2;
    }
    return status;
}

} // namespace

const char* CBatchRunner::Usage() {
    return kUsage;
}

bool CBatchRunner::IsBatch(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--batch") {
            return true;
        }
    }
    return false;
}

int CBatchRunner::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return Run(args, std::cin, out, err);
}

int CBatchRunner::Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err) {
    BatchOptions options;
    std::string error = Parse(args, options);
    if (!error.empty()) {
        err << "kivran: " << error << '\n' << kUsage;
        return 2;
    }
    if (options.help) {
        out << kUsage;
        return 0;
    }
    int language = options.language >= 0 ? options.language : SettingsStore::ReadStoredLanguage();
    try {
        return RunBatch(options, language, in, out, err);
    } catch (const std::bad_alloc&) {
        err << "kivran: out of memory\n";
        return 1;
    }
}
