// The symbol files that come with the program, laid over real sample files by the real program in batch
// mode: key fields, the number of blocks found, symbols that tile the file, and cut-off copies that still
// run without an error. The samples were made by tests/symbols/make-fixtures.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kBinary = KIVRAN_BINARY;
const std::string kBinDir = KIVRAN_BIN_DIR;
const std::string kShare = KIVRAN_SHARE_DIR;
const std::string kFixtures = KIVRAN_FIXTURES_DIR;

struct Outcome {
    int status = -1;
    bool timedOut = false;
    std::string out;
    std::string err;
};

// One SYMBOL row of --dump-symbols: address, name, cells.
struct Row {
    std::string name;
    std::vector<std::string> cells;
};

// One symbol record of --json.
struct Symbol {
    std::string name;
    std::string type;
    uint64_t offset = 0;
    uint64_t count = 0;
    uint64_t elementSize = 0;
    uint64_t End() const { return offset + std::max<uint64_t>(count, 1) * elementSize; }
};

// A private folder, removed at the end, that also serves as the configuration home of the runs so that
// no setting of the user's reaches them.
class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/kivran-symbols-XXXXXX";
        const char* made = mkdtemp(pattern);
        path = made ? made : "";
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

// Runs the program with the arguments; standard input is empty. A run that takes longer than 60 seconds
// is killed and reported as timed out.
Outcome RunProgram(const std::string& binary, const std::vector<std::string>& args,
                   const std::string& config) {
    Outcome o;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        o.err = "cannot create pipes";
        return o;
    }
    pid_t pid = fork();
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&o.out, &o.err};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            o.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        int ready = poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) {
                char buffer[65536];
                ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(n));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    for (pollfd& f : fds) {
        if (f.fd >= 0) {
            close(f.fd);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return o;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) {
        words.push_back(w);
    }
    return words;
}

// The --json output is one record per line: {"name": "...", "type": "...", "offset": N, ...}.
std::string JsonText(const std::string& line, const std::string& key) {
    size_t at = line.find("\"" + key + "\": \"");
    if (at == std::string::npos) {
        return std::string();
    }
    at += key.size() + 5;
    return line.substr(at, line.find('"', at) - at);
}

uint64_t JsonNumber(const std::string& line, const std::string& key) {
    size_t at = line.find("\"" + key + "\": ");
    return at == std::string::npos ? 0 : std::strtoull(line.c_str() + at + key.size() + 4, nullptr, 10);
}

// Splits the output of --dump-symbols --json into the rows and the records.
void Parse(const std::string& out, std::vector<Row>& rows, std::vector<Symbol>& symbols) {
    std::istringstream in(out);
    std::string line;
    bool json = false;
    while (std::getline(in, line)) {
        if (line == "[" || line == "[]") {
            json = true;
            continue;
        }
        if (json) {
            if (line.find("{\"name\"") != std::string::npos) {
                symbols.push_back({JsonText(line, "name"), JsonText(line, "type"), JsonNumber(line, "offset"),
                                   JsonNumber(line, "count"), JsonNumber(line, "elementSize")});
            }
            continue;
        }
        std::vector<std::string> words = Words(line);
        if (words.size() >= 2) {
            rows.push_back({words[1], std::vector<std::string>(words.begin() + 2, words.end())});
        }
    }
}

// What one run of a symbol file over a data file showed.
struct Layout {
    Outcome outcome;
    std::vector<Row> rows;
    std::vector<Symbol> symbols;

    // The cells of the row with this name, joined by blanks; "(none)" when there is no such row.
    std::string Cells(const std::string& name) const {
        for (const Row& r : rows) {
            if (r.name == name) {
                std::string joined;
                for (const std::string& c : r.cells) {
                    joined += (joined.empty() ? "" : " ") + c;
                }
                return joined;
            }
        }
        return "(none)";
    }

    // The bytes of a byte array shown as text: the cells of the rows base[0], base[16], ...
    std::string Text(const std::string& base) const {
        std::string text;
        for (const Row& r : rows) {
            if (r.name.compare(0, base.size() + 1, base + "[") == 0 &&
                r.name.find_first_not_of("0123456789", base.size() + 1) == r.name.size() - 1) {
                for (const std::string& c : r.cells) {
                    text += static_cast<char>(std::strtoul(c.c_str(), nullptr, 16));
                }
            }
        }
        return text;
    }

    const Symbol* Find(const std::string& name) const {
        for (const Symbol& s : symbols) {
            if (s.name == name) {
                return &s;
            }
        }
        return nullptr;
    }

    // The number of records whose name matches the pattern as a whole.
    size_t Count(const std::string& pattern) const {
        std::regex re(pattern);
        return static_cast<size_t>(std::count_if(
            symbols.begin(), symbols.end(), [&](const Symbol& s) { return std::regex_match(s.name, re); }));
    }
};

Layout Lay(const std::string& symbolFile, const std::string& data, const std::string& config) {
    Layout l;
    std::vector<std::string> args = {"--batch", "--lang", "en"};
    if (!symbolFile.empty()) {
        args.push_back("--symbols");
        args.push_back(symbolFile);
    }
    args.insert(args.end(), {"--dump-symbols", "--json", data});
    l.outcome = RunProgram(kBinary, args, config);
    Parse(l.outcome.out, l.rows, l.symbols);
    return l;
}

// The records tile the data from offset 0 to its last byte, without gaps or overlaps.
::testing::AssertionResult Tiles(const Layout& l, uint64_t size) {
    uint64_t next = 0;
    for (const Symbol& s : l.symbols) {
        if (s.offset != next) {
            return ::testing::AssertionFailure()
                   << s.name << " starts at " << s.offset << ", expected " << next;
        }
        next = s.End();
    }
    if (next != size) {
        return ::testing::AssertionFailure() << "the symbols end at " << next << ", the data at " << size;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult RanCleanly(const Layout& l) {
    if (l.outcome.timedOut) {
        return ::testing::AssertionFailure() << "the run did not end";
    }
    if (l.outcome.status != 0 || !l.outcome.err.empty()) {
        return ::testing::AssertionFailure()
               << "exit status " << l.outcome.status << ", standard error: " << l.outcome.err;
    }
    return ::testing::AssertionSuccess();
}

// One sample file and what its symbol file must show of it.
struct Sample {
    const char* symbolFile;
    // A file of the fixtures folder, or a path.
    std::string file;
    // Rows and their cells (hexadecimal, in the byte order of the symbol file).
    std::vector<std::pair<const char*, const char*>> cells;
    // Byte arrays and the text they hold.
    std::vector<std::pair<const char*, std::string>> texts;
    // Record name patterns and how many records match.
    std::vector<std::pair<const char*, size_t>> counts;
    // Records and their element counts.
    std::vector<std::pair<const char*, uint64_t>> elements;
    // How many bytes after a record can decide where it ends (a JPEG scan ends at the next marker, the
    // data of a streamed ZIP entry at its data descriptor).
    size_t lookahead = 0;
};

std::string FixturePath(const Sample& s) {
    return s.file.find('/') == std::string::npos ? kFixtures + "/" + s.file : s.file;
}

const std::vector<Sample>& Samples() {
    static const std::vector<Sample> samples = {
        {"GIF.SYM",
         "anim.gif",
         {{"Header.Signature[0]", "47 49 46"},
          {"Header.Version[0]", "38 39 61"},
          {"Screen.Width", "0014"},
          {"Screen.Height", "000A"},
          {"Block[0].GraphicControl.BlockSize", "04"},
          {"Block[2].Image.Separator", "2C"},
          {"Block[2].Image.Width", "0014"},
          {"Block[2].Image.Height", "000A"},
          {"Block[2].SubBlock[0].Size", "2F"},
          {"Block[4].LocalColorTable[15].Blue", "00"},
          {"Block[5].Trailer", "3B"}},
         {{"Block[1].Application.Identifier", "NETSCAPE"}},
         {{"Block\\[\\d+\\](\\.Image|\\.Trailer)?", 6},
          {"Block\\[\\d+\\]\\.Image", 2},
          {"Block\\[\\d+\\]\\.GraphicControl", 2},
          {"Block\\[\\d+\\]\\.Terminator", 3}},
         {{"GlobalColorTable", 16}, {"Block[2].SubBlock[0].Data", 47}}},
        // The picture that "make run" opens.
        {"BMP.SYM",
         kShare + "/sample/sample.bmp",
         {{"FileHeader.Type[0]", "42 4D"},
          {"FileHeader.Size", "00000636"},
          {"FileHeader.OffBits", "00000036"},
          {"InfoHeader.Size", "00000028"},
          {"InfoHeader.Width", "00000020"},
          {"InfoHeader.Height", "00000010"},
          {"InfoHeader.BitCount", "0018"},
          {"InfoHeader.Compression", "00000000"}},
         {},
         {{"Palette", 0}, {"PixelRow", 1}},
         {{"PixelRow", 16}}},
        {"BMP.SYM",
         "palette4.bmp",
         {{"FileHeader.Type[0]", "42 4D"},
          {"FileHeader.OffBits", "00000076"},
          {"InfoHeader.Width", "00000014"},
          {"InfoHeader.Height", "0000000A"},
          {"InfoHeader.BitCount", "0004"},
          {"PixelRow[0].Padding[0]", "00 00"}},
         {},
         {},
         {{"Palette", 16}, {"PixelRow", 10}}},
        {"BMP.SYM",
         "palette8.bmp",
         {{"InfoHeader.Width", "00000006"}, {"InfoHeader.BitCount", "0008"}, {"Palette[255].Reserved", "00"}},
         {},
         {},
         {{"Palette", 256}, {"PixelRow", 40}}},
        {"BMP.SYM",
         "rle8.bmp",
         {{"InfoHeader.Compression", "00000001"}, {"InfoHeader.SizeImage", "000000F0"}},
         {},
         {},
         {{"Palette", 256}, {"ImageData", 240}}},
        {"BMP.SYM",
         "rgb24.bmp",
         {{"InfoHeader.Width", "0000000D"},
          {"InfoHeader.Height", "00000007"},
          {"InfoHeader.BitCount", "0018"},
          {"PixelRow[6].Padding[0]", "00"}},
         {},
         {{"Palette", 0}},
         {{"PixelRow", 7}}},
        {"BMP.SYM",
         "argb32.bmp",
         {{"InfoHeader.Size", "0000007C"},
          {"InfoHeader.Width", "00000005"},
          {"InfoHeader.Height", "00000003"},
          {"InfoHeader.BitCount", "0020"},
          {"InfoHeader.AlphaMask", "FF000000"}},
         {},
         {},
         {{"PixelRow", 3}}},
        {"PNG.SYM",
         "image.png",
         {{"Signature[0]", "89 50 4E 47 0D 0A 1A 0A"},
          {"Chunk[0].Length", "0000000D"},
          {"Chunk[0].IHDR.Width", "00000018"},
          {"Chunk[0].IHDR.Height", "0000000C"},
          {"Chunk[0].IHDR.BitDepth", "10"},
          {"Chunk[0].IHDR.ColorType", "02"},
          {"Chunk[1].gAMA", "0000B18F"},
          {"Chunk[3].Length", "0000004D"},
          {"Chunk[5].Length", "00000000"}},
         {{"Chunk[0].Type", "IHDR"},
          {"Chunk[2].Type", "cHRM"},
          {"Chunk[3].Type", "IDAT"},
          {"Chunk[4].tEXt.Keyword", std::string("comment", 8)},
          {"Chunk[4].tEXt.Text", "KIVRAN"},
          {"Chunk[5].Type", "IEND"}},
         {{"Chunk\\[\\d+\\]", 6}, {"Chunk\\[\\d+\\]\\.CRC", 6}},
         {{"Chunk[3].IDAT", 77}}},
        {"PNG.SYM",
         "palette.png",
         {{"Chunk[0].IHDR.ColorType", "03"}, {"Chunk[1].PLTE[0].Red", "FF"}, {"Chunk[1].PLTE[7].Blue", "FF"}},
         {{"Chunk[1].Type", "PLTE"}},
         {{"Chunk\\[\\d+\\]", 4}},
         {{"Chunk[1].PLTE", 8}, {"Chunk[2].IDAT", 35}}},
        {"JPG.SYM",
         "baseline.jpg",
         {{"Segment[0].SOI", "FFD8"},
          {"Segment[1].Marker", "FFE0"},
          {"Segment[1].APP0.Version", "0101"},
          {"Segment[4].Marker", "FFC0"},
          {"Segment[4].SOF0.Height", "0010"},
          {"Segment[4].SOF0.Width", "0018"},
          {"Segment[4].SOF0.Components", "03"},
          {"Segment[9].Marker", "FFDA"},
          {"Segment[10].EOI", "FFD9"}},
         {{"Segment[1].APP0.Identifier", std::string("JFIF", 5)}},
         {{"Segment\\[\\d+\\](\\.SOI|\\.EOI)?", 11},
          {"Segment\\[\\d+\\]\\.DHT", 4},
          {"Segment\\[\\d+\\]\\.DQT", 2},
          {"Segment\\[\\d+\\]\\.ScanData", 1}},
         {{"Segment[4].SOF0.Component", 3}, {"Segment[9].ScanData", 29}},
         2},
        {"JPG.SYM",
         "noise.jpg",
         {{"Segment[3].SOF0.Components", "01"}, {"Segment[7].EOI", "FFD9"}},
         {},
         {},
         {{"Segment[6].ScanData", 851}},
         2},
        {"JPG.SYM",
         "progressive.jpg",
         {{"Segment[4].Marker", "FFC2"}, {"Segment[4].SOF2.Width", "0018"}, {"Segment[25].EOI", "FFD9"}},
         {},
         {{"Segment\\[\\d+\\]\\.ScanData", 10}, {"Segment\\[\\d+\\]\\.SOS\\.Selection", 10}},
         {},
         2},
        {"WAV.SYM",
         "stereo16.wav",
         {{"Riff.ChunkSize", "000001B4"},
          {"Chunk[0].Format.FormatTag", "0001"},
          {"Chunk[0].Format.Channels", "0002"},
          {"Chunk[0].Format.SamplesPerSec", "00001F40"},
          {"Chunk[0].Format.BlockAlign", "0004"},
          {"Chunk[0].Format.BitsPerSample", "0010"},
          {"Chunk[1].Size", "00000190"}},
         {{"Riff.ChunkID", "RIFF"},
          {"Riff.Format", "WAVE"},
          {"Chunk[0].ID", "fmt "},
          {"Chunk[1].ID", "data"}},
         {{"Chunk\\[\\d+\\]", 2}},
         {{"Chunk[1].Samples", 200}}},
        {"WAV.SYM",
         "tagged.wav",
         {{"Chunk[0].Format.Channels", "0001"},
          {"Chunk[0].Format.SamplesPerSec", "00002B11"},
          {"Chunk[0].Format.BitsPerSample", "0008"},
          {"Chunk[1].Pad", "00"}},
         {{"Chunk[2].ID", "LIST"}},
         {{"Chunk\\[\\d+\\]", 3}},
         {{"Chunk[1].Samples", 51}, {"Chunk[2].LIST", 20}}},
        {"ZIP.SYM",
         "archive.zip",
         {{"LocalFile[0].Signature", "04034B50"},
          {"LocalFile[0].Compression", "0000"},
          {"LocalFile[1].Compression", "0008"},
          {"LocalFile[1].UncompressedSize", "00000400"},
          {"CentralDirectory[2].LocalHeaderOffset", "00000174"},
          {"EndOfCentralDirectory.TotalEntries", "0003"},
          {"EndOfCentralDirectory.CentralDirectoryOffset", "000001AF"}},
         {{"LocalFile[0].FileName", "hello.txt"},
          {"LocalFile[0].FileData", "Hello, KIVRAN!\n"},
          {"LocalFile[1].FileName", "data.bin"},
          {"LocalFile[2].FileName", "docs/readme.md"},
          {"CentralDirectory[0].FileName", "hello.txt"},
          {"CentralDirectory[2].FileName", "docs/readme.md"},
          {"EndOfCentralDirectory.Comment", "sample archive"}},
         {{"LocalFile\\[\\d+\\]", 3}, {"CentralDirectory\\[\\d+\\]", 3}, {"EndOfCentralDirectory", 1}},
         {}},
        {"ZIP.SYM",
         "streamed.zip",
         {{"LocalFile[0].Flags", "0008"},
          {"LocalFile[0].CompressedSize", "00000000"},
          {"LocalFile[0].DataDescriptor.CompressedSize", "0000000F"},
          {"LocalFile[2].DataDescriptor.Signature", "08074B50"}},
         {{"LocalFile[0].FileData", "Hello, KIVRAN!\n"}, {"LocalFile[2].FileName", "docs/readme.md"}},
         {{"LocalFile\\[\\d+\\]\\.DataDescriptor", 3}, {"CentralDirectory\\[\\d+\\]", 3}},
         {},
         16},
        {"ELF.SYM",
         "elf32.elf",
         {{"Header.Ident.Magic[0]", "7F 45 4C 46"},
          {"Header.Ident.Class", "01"},
          {"Header.Type", "0002"},
          {"Header.Machine", "0003"},
          {"Header.Entry", "08048054"},
          {"Header.PhNum", "0001"},
          {"Header.ShNum", "0006"},
          {"ProgramHeader[0].Type", "00000001"}},
         {},
         {{"\\.text", 1}, {"\\.data", 1}, {"\\.shstrtab", 1}},
         {{"ProgramHeader", 1}, {"SectionHeader", 6}, {".text", 9}}},
        {"ELF.SYM",
         "elf32be.elf",
         {{"Header.Ident.Data", "02"},
          {"Header.Machine", "0003"},
          {"Header.Entry", "08048054"},
          {"Header.ShOff", "00001124"},
          {"SectionHeader[1].Offset", "00000054"}},
         {},
         {{"\\.text", 1}, {"\\.data", 1}, {"\\.shstrtab", 1}},
         {{"ProgramHeader", 1}, {"SectionHeader", 6}, {".text", 9}}},
    };
    return samples;
}

class SymbolFileTest : public ::testing::TestWithParam<size_t> {
protected:
    Scratch scratch;
};

TEST_P(SymbolFileTest, ShowsTheKeyFieldsAndTilesTheFile) {
    const Sample& sample = Samples()[GetParam()];
    const std::string data = FixturePath(sample);
    Layout l = Lay(kShare + "/symbols/" + sample.symbolFile, data, scratch.path);
    ASSERT_TRUE(RanCleanly(l)) << sample.file;
    ASSERT_FALSE(l.symbols.empty()) << sample.file;
    EXPECT_TRUE(Tiles(l, ReadBytes(data).size())) << sample.file;
    for (const auto& [name, cells] : sample.cells) {
        EXPECT_EQ(l.Cells(name), cells) << sample.file << " " << name;
    }
    for (const auto& [name, text] : sample.texts) {
        EXPECT_EQ(l.Text(name), text) << sample.file << " " << name;
    }
    for (const auto& [pattern, count] : sample.counts) {
        EXPECT_EQ(l.Count(pattern), count) << sample.file << " " << pattern;
    }
    for (const auto& [name, count] : sample.elements) {
        const Symbol* s = l.Find(name);
        ASSERT_NE(s, nullptr) << sample.file << " " << name;
        EXPECT_EQ(s->count, count) << sample.file << " " << name;
    }
}

// Cut-off copies (60 % of the bytes, and a few other lengths) run to the end without an error and their
// symbols still end exactly at the last byte; the records that lie wholly before the cut in the complete
// file are unchanged.
TEST_P(SymbolFileTest, CutOffCopiesStillRunAndTile) {
    const Sample& sample = Samples()[GetParam()];
    const std::string data = FixturePath(sample);
    const std::string symbolFile = kShare + "/symbols/" + sample.symbolFile;
    const std::vector<unsigned char> bytes = ReadBytes(data);
    Layout full = Lay(symbolFile, data, scratch.path);
    ASSERT_TRUE(RanCleanly(full));
    const std::string extension = fs::path(data).extension().string();
    for (size_t cut : {bytes.size() * 6 / 10, bytes.size() / 4, bytes.size() - 1, size_t(20), size_t(3)}) {
        const std::string path = scratch.path + "/cut" + extension;
        WriteBytes(path, std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        Layout l = Lay(symbolFile, path, scratch.path);
        ASSERT_TRUE(RanCleanly(l)) << sample.file << " cut to " << cut;
        if (cut >= 64) {
            ASSERT_FALSE(l.symbols.empty()) << sample.file << " cut to " << cut;
            EXPECT_TRUE(Tiles(l, cut)) << sample.file << " cut to " << cut;
        }
        // An ELF file names its sections in a table at its end: cut off, only the header and program
        // headers keep their layout.
        const size_t stable = std::string(sample.symbolFile) == "ELF.SYM" ? 2 : full.symbols.size();
        for (size_t k = 0;
             k < full.symbols.size() && k < stable && full.symbols[k].End() + sample.lookahead <= cut; ++k) {
            ASSERT_LT(k, l.symbols.size()) << sample.file << " cut to " << cut;
            EXPECT_EQ(l.symbols[k].name, full.symbols[k].name) << sample.file << " cut to " << cut;
            EXPECT_EQ(l.symbols[k].End(), full.symbols[k].End()) << sample.file << " cut to " << cut;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SymbolFileTest, ::testing::Range<size_t>(0, Samples().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = fs::path(Samples()[info.param].file).filename().string();
                             std::replace_if(
                                 name.begin(), name.end(), [](char c) { return !isalnum(c); }, '_');
                             return name;
                         });

// The machine's own /bin/true: the header fields as the file holds them, one program header record
// per entry, the section header table with every entry, sections under their names.
TEST(SymbolFileElf, SystemBinary) {
    const std::string binary = "/bin/true";
    const std::vector<unsigned char> bytes = ReadBytes(binary);
    ASSERT_GE(bytes.size(), 64u);
    if (bytes[4] != 2 || bytes[5] != 1) {
        GTEST_SKIP() << "the checks below read a 64-bit little-endian system binary";
    }
    auto hex = [&](size_t at, size_t width) {
        std::string text;
        for (size_t i = width; i-- > 0;) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02X", bytes[at + i]);
            text += digits;
        }
        return text;
    };
    auto number = [&](size_t at, size_t width) {
        uint64_t v = 0;
        for (size_t i = width; i-- > 0;) {
            v = (v << 8) | bytes[at + i];
        }
        return v;
    };
    Scratch scratch;
    Layout l = Lay(kShare + "/symbols/ELF.SYM", binary, scratch.path);
    ASSERT_TRUE(RanCleanly(l));
    EXPECT_TRUE(Tiles(l, bytes.size()));
    EXPECT_EQ(l.Cells("Header.Ident.Class"), "02");
    EXPECT_EQ(l.Cells("Header.Machine"), hex(0x12, 2));
    EXPECT_EQ(l.Cells("Header.Entry"), hex(0x18, 8));
    EXPECT_EQ(l.Cells("Header.PhNum"), hex(0x38, 2));
    const Symbol* ph = l.Find("ProgramHeader");
    ASSERT_NE(ph, nullptr);
    EXPECT_EQ(ph->offset, number(0x20, 8));
    EXPECT_EQ(ph->count, number(0x38, 2));
    EXPECT_EQ(ph->elementSize, 56u);
    const Symbol* sh = l.Find("SectionHeader");
    ASSERT_NE(sh, nullptr);
    EXPECT_EQ(sh->offset, number(0x28, 8));
    EXPECT_EQ(sh->count, number(0x3C, 2));
    EXPECT_EQ(l.Cells("ProgramHeader[0].Type"), hex(number(0x20, 8), 4));
    EXPECT_EQ(l.Count("\\.text"), 1u);
    EXPECT_EQ(l.Count("\\.shstrtab"), 1u);
    // The string table of the section names sits where its section header says.
    const uint64_t names = number(0x28, 8) + number(0x3E, 2) * 64;
    const Symbol* shstrtab = l.Find(".shstrtab");
    ASSERT_NE(shstrtab, nullptr);
    EXPECT_EQ(shstrtab->offset, number(names + 24, 8));
    EXPECT_EQ(shstrtab->count, number(names + 32, 8));
}

// The program finds the symbol file of a data file by its extension in its own folder, whatever the case
// of the names: photo.gif runs GIF.SYM, picture.JPEG runs JPEG.SYM (which includes JPG.SYM). A file
// without an extension or with an extension that has no symbol file gets no symbols. The build puts the
// symbol files and the help pages beside the program.
TEST(SymbolFileLookup, ByExtensionBesideTheProgram) {
    for (const char* name : {"GIF.SYM", "BMP.SYM", "PNG.SYM", "JPG.SYM", "JPEG.SYM", "WAV.SYM", "ZIP.SYM",
                             "ELF.SYM", "SO.SYM", "MacroHelp.html", "UserGuide.html"}) {
        EXPECT_TRUE(fs::exists(kBinDir + "/" + name)) << name << " is not beside the program";
    }
    Scratch scratch;
    const std::string program = scratch.path + "/bin";
    fs::create_directories(program);
    fs::copy_file(kBinary, program + "/kivran");
    for (const auto& entry : fs::directory_iterator(kBinDir)) {
        if (entry.path().extension() == ".SYM") {
            fs::copy_file(entry.path(), program + "/" + entry.path().filename().string());
        }
    }
    fs::copy_file(kFixtures + "/anim.gif", scratch.path + "/photo.gif");
    fs::copy_file(kFixtures + "/baseline.jpg", scratch.path + "/picture.JPEG");
    fs::copy_file(kFixtures + "/anim.gif", scratch.path + "/README");
    fs::copy_file(kFixtures + "/anim.gif", scratch.path + "/anim.txt");

    auto lay = [&](const std::string& data) {
        Layout l;
        l.outcome = RunProgram(program + "/kivran",
                               {"--batch", "--lang", "en", "--dump-symbols", "--json", data}, scratch.path);
        Parse(l.outcome.out, l.rows, l.symbols);
        return l;
    };
    Layout gif = lay(scratch.path + "/photo.gif");
    ASSERT_TRUE(RanCleanly(gif));
    EXPECT_EQ(gif.Cells("Screen.Width"), "0014");
    EXPECT_TRUE(Tiles(gif, ReadBytes(kFixtures + "/anim.gif").size()));
    Layout jpeg = lay(scratch.path + "/picture.JPEG");
    ASSERT_TRUE(RanCleanly(jpeg));
    EXPECT_EQ(jpeg.Cells("Segment[4].SOF0.Width"), "0018");
    for (const char* plain : {"/README", "/anim.txt"}) {
        Layout none = lay(scratch.path + plain);
        ASSERT_TRUE(RanCleanly(none)) << plain;
        EXPECT_TRUE(none.symbols.empty()) << plain;
        EXPECT_NE(none.outcome.out.find("[]"), std::string::npos) << plain;
    }
}

// The language reference names every data function, every built-in function and every error text, and
// both help pages are complete HTML documents.
TEST(HelpPages, ReferenceIsComplete) {
    auto read = [](const std::string& path) {
        std::vector<unsigned char> b = ReadBytes(path);
        return std::string(b.begin(), b.end());
    };
    const std::string reference = read(kShare + "/help/MacroHelp.html");
    const std::string guide = read(kShare + "/help/UserGuide.html");
    for (const std::string* page : {&reference, &guide}) {
        EXPECT_NE(page->find("<!DOCTYPE html>"), std::string::npos);
        EXPECT_NE(page->find("</html>"), std::string::npos);
    }
    for (const char* function : {"GetCurrentByte(",
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
                                 "SetMark(",
                                 "strlen(",
                                 "sizeof(",
                                 "strupr(",
                                 "strlwr(",
                                 "tostr(",
                                 "tohex(",
                                 "max(",
                                 "min(",
                                 "abs("}) {
        EXPECT_NE(reference.find(std::string("<code>") + function), std::string::npos) << function;
    }
    for (const char* error : {"Unknown function",
                              "Illegal operator use",
                              "Devide by zero",
                              "Unmatched parenthesis",
                              "Unknown or read-only variable",
                              "Illegal convertion",
                              "Missing &quot;",
                              "Illegal parameter type",
                              "Missing ;(eob)",
                              "Cannot register variable",
                              "Illegal expression",
                              "No parenthesis",
                              "Cannot registe typedef",
                              "Illegal #",
                              "Cannot find file",
                              "Illegal declaration in struct",
                              "Cannot regist struct member",
                              "Cannot regist struct",
                              "Illegal character",
                              "Illegal pointer use",
                              "Illegal string constant",
                              "Reached maximun loop",
                              "cannot read file",
                              "Illegal Function Call",
                              "Illegal parameter number",
                              "Return Type Mismatch",
                              "Illegal Function Prototype",
                              "Fail to Register Function",
                              "Prototype and Function Mismatch",
                              "Illegal Function Declare",
                              "Unreachable statemant",
                              "Over string length",
                              "Unknown error"}) {
        EXPECT_NE(reference.find(std::string("<td>") + error + "</td>"), std::string::npos) << error;
    }
}

} // namespace
