// Painting and scrolling of the data area: a full repaint of a 1920 x 1080 area must stay well inside one
// 60 Hz frame (16.7 ms), in the SYMBOL view as in the others.
#include "binding/CKvrVMan.h"
#include "settings/KivranSettings.h"
#include "view/CDataPainter.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"
#include "view/CUserPrompt.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: the application must outlive everything Qt tears down at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Message boxes would wait for a user; the benchmark has none.
class SilentPrompt : public CUserPrompt {
public:
    void Message(QWidget*, const QString&) override {}
};

void FullRepaint(benchmark::State& state, int sizeIndex, int typeIndex) {
    App();
    const KivranSettings settings;
    PaintInputs in;
    in.font = CMainFrame::FontFromDescription(settings.displayFont);
    QFontMetrics fm(in.font);
    in.geometry.width = 1920;
    in.geometry.height = 1080;
    in.geometry.charHeight = fm.height();
    in.geometry.hexCharWidth = fm.horizontalAdvance('0');
    in.geometry.maxCharWidth = fm.horizontalAdvance('W');
    in.geometry.addressDigits = 7;
    in.layout.Set(sizeIndex, typeIndex, 20);
    in.textColor = settings.textColor;
    in.bkColor = settings.bkColor;
    in.dataSize = 10000000;
    std::vector<uint32_t> none;
    in.marks = &none;
    in.sortedDiffs = &none;
    PaneView views[2];
    views[0].rows = in.geometry.PaneRows(0);
    views[0].bytes.resize(static_cast<size_t>(views[0].rows) * 16);
    for (size_t i = 0; i < views[0].bytes.size(); ++i) {
        views[0].bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    views[0].count = views[0].bytes.size();
    QImage image(1920, 1080, QImage::Format_RGB32);
    CDataPainter painter;
    for (auto _ : state) {
        painter.PaintAll(image, in, views);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows"] = views[0].rows;
}

void BM_FullRepaint1ByteHex(benchmark::State& state) {
    FullRepaint(state, 0, 1);
}
void BM_FullRepaint4BytesFloat(benchmark::State& state) {
    FullRepaint(state, 2, 4);
}

// The SYMBOL view over 100 000 symbol rows (arrays of 1-, 2-, 4- and 8-byte elements in turn, one row each),
// scrolled to the middle, beside the same full repaint of the 1BYTE HEX view over the same bytes.
constexpr uint64_t kSymbolRows = 100000;

CKvrVMan& HundredThousandRows() {
    static CKvrVMan* symbols = [] {
        auto* table = new CKvrVMan;
        const char* const types[4] = {"char", "short", "long", "double"};
        const int64_t counts[4] = {16, 8, 4, 2};
        table->SetBindNext(1);
        for (uint64_t i = 0; i < kSymbolRows; ++i) {
            table->RegisterVariable(types[i % 4], "field" + std::to_string(i), counts[i % 4], 0, 0);
        }
        table->SetBindNext(0);
        return table;
    }();
    return *symbols;
}

void RepaintMiddle(benchmark::State& state, bool symbolView) {
    App();
    const KivranSettings settings;
    CKvrVMan& symbols = HundredThousandRows();
    PaintInputs in;
    in.font = CMainFrame::FontFromDescription(settings.displayFont);
    QFontMetrics fm(in.font);
    in.geometry.width = 1920;
    in.geometry.height = 1080;
    in.geometry.charHeight = fm.height();
    in.geometry.hexCharWidth = fm.horizontalAdvance('0');
    in.geometry.maxCharWidth = fm.horizontalAdvance('W');
    in.geometry.addressDigits = 7;
    in.layout.SetSymbols(&symbols);
    in.layout.Set(symbolView ? 4 : 0, 1, 20);
    in.geometry.nameColumnWidth =
        symbolView ? in.layout.NameChars() * in.geometry.maxCharWidth + in.geometry.hexCharWidth : 0;
    in.textColor = settings.textColor;
    in.bkColor = settings.bkColor;
    in.dataSize = symbols.GetNextOffset();
    std::vector<uint32_t> none;
    in.marks = &none;
    in.sortedDiffs = &none;
    PaneView views[2];
    PaneView& view = views[0];
    view.rows = in.geometry.PaneRows(0);
    view.topRow = in.layout.TotalRows(in.dataSize) / 2;
    view.firstOffset = in.layout.Row(view.topRow).start;
    view.bytes.resize(in.layout.Row(view.topRow + view.rows - 1).End() - view.firstOffset);
    for (size_t i = 0; i < view.bytes.size(); ++i) {
        view.bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    }
    view.count = view.bytes.size();
    view.selection.cursor = view.selection.selAnchor = view.selection.selEnd = view.firstOffset;
    QImage image(1920, 1080, QImage::Format_RGB32);
    CDataPainter painter;
    for (auto _ : state) {
        painter.PaintAll(image, in, views);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows"] = view.rows;
}

void BM_FullRepaintSymbol100kRows(benchmark::State& state) {
    RepaintMiddle(state, true);
}
void BM_FullRepaintSymbol100kRows_Baseline(benchmark::State& state) {
    RepaintMiddle(state, false);
}

void BM_PageDown1000Steps10MB(benchmark::State& state) {
    App();
    QTemporaryDir dir;
    const QString path = dir.path() + "/big.bin";
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        std::string block(1 << 20, '\x5A');
        for (int i = 0; i < 10; ++i) {
            out << block;
        }
    }
    SilentPrompt prompt;
    CMainFrame frame(&prompt);
    frame.Settings().optionFlags = 2;
    frame.Settings().maxFileSizeForMemory = 100000000;
    frame.Create();
    frame.resize(1920, 1080);
    frame.show();
    frame.OpenFile(path, false);
    QApplication::processEvents();
    for (auto _ : state) {
        frame.DataView()->ScrollToRow(0, 0);
        for (int i = 0; i < 1000; ++i) {
            frame.DataView()->PageKey(true);
        }
        benchmark::DoNotOptimize(frame.DataView()->TopRow(0));
    }
    frame.Store().SetModified(0);
}

} // namespace

BENCHMARK(BM_FullRepaint1ByteHex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaint4BytesFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaintSymbol100kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaintSymbol100kRows_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDown1000Steps10MB)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
