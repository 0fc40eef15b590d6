#include "view/CStatusPanes.h"

#include "data/CDataStore.h"
#include "data/ValueFormat.h"
#include "view/CColorStsBar.h"
#include "view/CMainFrame.h"

#include <cstring>

CStatusPanes::CStatusPanes(CColorStsBar& status, CColorStsBar& numeric) : status(status), numeric(numeric) {}

void CStatusPanes::ShowMode(int source, int accessFlags, int insert) {
    const uint32_t def = CColorStsBar::kDefaultColor;
    for (int i = 0; i < 4; ++i) {
        status.SetPaneText(i, QString());
    }
    switch (source) {
    case 0:
        status.SetPaneText(CMainFrame::kPaneSource, "FILE");
        status.SetPaneColors(CMainFrame::kPaneSource, def, def);
        if (accessFlags & CDataStore::kAccessDirect) {
            status.SetPaneText(CMainFrame::kPaneMemory, "DIRECT");
            status.SetPaneColors(CMainFrame::kPaneMemory, 0xFFFFFF, 0x0000FF);
        } else {
            status.SetPaneColors(CMainFrame::kPaneMemory, def, def);
        }
        if (accessFlags & CDataStore::kAccessView) {
            status.SetPaneText(CMainFrame::kPaneView, "VIEW");
            status.SetPaneColors(CMainFrame::kPaneView, 0xFFFFFF, 0x0000FF);
        } else {
            status.SetPaneColors(CMainFrame::kPaneView, def, def);
        }
        if (insert) {
            status.SetPaneText(CMainFrame::kPaneInsert, "INS");
            status.SetPaneColors(CMainFrame::kPaneInsert, 0x000000, 0x00FF00);
        } else {
            status.SetPaneColors(CMainFrame::kPaneInsert, def, def);
        }
        break;
    case 1:
        status.SetPaneText(CMainFrame::kPaneSource, "DLL");
        status.SetPaneColors(CMainFrame::kPaneSource, 0xFFFFFF, 0xFF00FF);
        break;
    case 2:
        status.SetPaneText(CMainFrame::kPaneSource, "MMF");
        status.SetPaneColors(CMainFrame::kPaneSource, 0x000000, 0x00FFFF);
        break;
    default:
        break;
    }
}

QString CStatusPanes::SizeText(int64_t size) {
    if (size < 0) {
        return QString();
    }
    QString digits = QString::number(size);
    for (int i = digits.size() - 3; i > 0; i -= 3) {
        digits.insert(i, ',');
    }
    return digits + " bytes";
}

void CStatusPanes::ShowSize(int64_t size) {
    status.SetPaneText(CMainFrame::kPaneSize, SizeText(size));
}

QString CStatusPanes::AddressText(uint64_t cursor, int decimalAddress) {
    // Offsets of 4 GiB and more get the digits they need; the pane widens to its text.
    if (decimalAddress) {
        return QString::number(cursor);
    }
    return cursor <= 0xFFFFFFFFu ? QString::asprintf("0x%08X", static_cast<uint32_t>(cursor))
                                 : QStringLiteral("0x") + QString::number(cursor, 16).toUpper();
}

void CStatusPanes::ShowAddress(uint64_t cursor, int decimalAddress) {
    status.SetPaneText(CMainFrame::kPaneAddress, AddressText(cursor, decimalAddress));
}

void CStatusPanes::ShowNumeric(const unsigned char* bytes, uint64_t count, int littleEndian, int floatWidth,
                               int floatPrecision) {
    // Each value is read little-endian after the bytes are reversed for big-endian data.
    auto value = [&](int n) {
        unsigned char v[8] = {0};
        std::memcpy(v, bytes, static_cast<size_t>(n));
        if (!littleEndian) {
            ReverseBytes(static_cast<size_t>(n), v);
        }
        uint64_t u = 0;
        std::memcpy(&u, v, static_cast<size_t>(n));
        return u;
    };
    auto text = [](const std::string& s) { return QString::fromStdString(s); };
    QString texts[6];
    if (count >= 2) {
        const uint16_t v = static_cast<uint16_t>(value(2));
        texts[0] = "S : " + text(FormatSignedFixed(static_cast<int16_t>(v), 6));
        texts[1] = "US : " + text(FormatUnsignedFixed(v, 5));
    }
    if (count >= 4) {
        const uint32_t v = static_cast<uint32_t>(value(4));
        texts[2] = "L : " + text(FormatSignedFixed(static_cast<int32_t>(v), 11));
        texts[3] = "UL : " + text(FormatUnsignedFixed(v, 10));
        float f = 0;
        std::memcpy(&f, &v, 4);
        texts[4] = "F : " + text(FormatReal(f, floatWidth, floatPrecision));
    }
    if (count >= 8) {
        const uint64_t v = value(8);
        double d = 0;
        std::memcpy(&d, &v, 8);
        texts[5] = "D : " + text(FormatReal(d, floatWidth, floatPrecision));
    }
    for (int i = 0; i < 6; ++i) {
        numeric.SetPaneText(i, texts[i]);
    }
}

void CStatusPanes::ShowUndo(double percent, bool red) {
    status.SetPaneText(CMainFrame::kPaneUndo, QString::asprintf(" %0.0lf%% ", percent));
    if (red) {
        status.SetPaneColors(CMainFrame::kPaneUndo, 0xFFFFFF, 0x0000FF);
    } else {
        status.SetPaneColors(CMainFrame::kPaneUndo, CColorStsBar::kDefaultColor, CColorStsBar::kDefaultColor);
    }
}

void CStatusPanes::ShowCharSet(int charSet, int language) {
    status.SetPaneText(CMainFrame::kPaneCharSet,
                       charSet == 1 ? "Unicode" : (language == 1 ? "ASCII" : "Shift-JIS"));
}
