#pragma once

#include "settings/LogFont.h"

#include <QFont>

// The print font: a stored font description made into a font for a device, and a chosen font described back.
class CPrintFont {
public:
    // The font with its height divided by scaleY and its width by scaleX (both truncated): scale 1 gives the
    // font sized as for the screen, the screen-to-printer ratios give the printer's font. A face that is not
    // installed falls back to a fixed-pitch face with Japanese glyphs.
    static QFont Make(const LogFont& description, double scaleX = 1, double scaleY = 1);
    // The description of a font chosen in the font dialog, sized for a screen of screenDpiY; the fields a
    // font does not carry (character set, precisions, quality) are kept from previous.
    static LogFont Describe(const QFont& font, const LogFont& previous, double screenDpiY);

    // Heights beyond this many pixels are held to it; no page is that tall.
    static constexpr int kLargestPixelSize = 10000;
};
