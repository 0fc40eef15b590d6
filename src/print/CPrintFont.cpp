#include "print/CPrintFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// Faces tried, in order, when the stored face is not installed: fixed pitch with Japanese glyphs first.
const char* const kFallbackFaces[] = {"Noto Sans Mono CJK JP",
                                      "Noto Sans Mono CJK JP Regular",
                                      "Source Han Mono",
                                      "VL Gothic",
                                      "IPAGothic",
                                      "TakaoGothic",
                                      "DejaVu Sans Mono",
                                      "Liberation Mono"};

int64_t Scaled(int32_t value, double scale) {
    if (!(scale > 0)) {
        return value;
    }
    const double scaled = static_cast<double>(value) / scale;
    if (!(std::fabs(scaled) < 1.0e9)) {
        return scaled < 0 ? -1000000000 : 1000000000;
    }
    return static_cast<int64_t>(scaled);
}

} // namespace

QFont CPrintFont::Make(const LogFont& d, double scaleX, double scaleY) {
    QFont font;
    const QStringList families = QFontDatabase::families();
    const QString face = QString::fromStdString(d.faceName);
    if (!face.isEmpty() && families.contains(face, Qt::CaseInsensitive)) {
        font.setFamily(face);
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        for (const char* candidate : kFallbackFaces) {
            if (families.contains(QString::fromUtf8(candidate), Qt::CaseInsensitive)) {
                font.setFamily(QString::fromUtf8(candidate));
                break;
            }
        }
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
    }
    // A negative height is the character height; a positive one the cell height, of which the character
    // takes about seven eighths.
    const int64_t height = Scaled(d.height == 0 ? -16 : d.height, scaleY);
    const int64_t pixels = height < 0 ? -height : height * 7 / 8;
    font.setPixelSize(static_cast<int>(std::clamp<int64_t>(pixels, 1, kLargestPixelSize)));
    font.setWeight(d.weight > 0 ? static_cast<QFont::Weight>(std::clamp(d.weight, 1, 1000)) : QFont::Normal);
    font.setItalic(d.italic != 0);
    const int64_t width = Scaled(d.width, scaleX);
    if (width > 0) {
        // The average character width follows the stored width through the font's stretch.
        const int average = QFontMetrics(font).averageCharWidth();
        if (average > 0) {
            font.setStretch(static_cast<int>(std::clamp<int64_t>(width * 100 / average, 1, 4000)));
        }
    }
    return font;
}

LogFont CPrintFont::Describe(const QFont& font, const LogFont& previous, double screenDpiY) {
    LogFont d = previous;
    d.faceName = LogFont::FitFaceName(font.family().toStdString());
    if (font.pixelSize() > 0) {
        d.height = -font.pixelSize();
    } else {
        const double dpi = screenDpiY > 0 ? screenDpiY : 96;
        d.height = -std::max(1, static_cast<int>(std::lround(font.pointSizeF() * dpi / 72)));
    }
    d.width = 0;
    d.weight = font.weight();
    d.italic = font.italic() ? 1 : 0;
    return d;
}
