#pragma once

#include <QString>
#include <cstdint>

class CColorStsBar;

// The texts and colours of the status bar panes (source, access, insert mode, size, cursor address, undo use,
// character set) and of the numeric bar (the values at the cursor).
class CStatusPanes {
public:
    CStatusPanes(CColorStsBar& status, CColorStsBar& numeric);

    // source -1 (none), 0 file, 1 DLL, 2 shared memory; access bit 0 VIEW, bit 1 DIRECT.
    void ShowMode(int source, int accessFlags, int insert);
    void ShowSize(int64_t size);
    void ShowAddress(uint64_t cursor, int decimalAddress);
    // Up to 8 bytes at the cursor.
    void ShowNumeric(const unsigned char* bytes, uint64_t count, int littleEndian, int floatWidth,
                     int floatPrecision);
    void ShowUndo(double percent, bool red);
    void ShowCharSet(int charSet, int language);

    // "1,234,567 bytes"; empty for a negative size.
    static QString SizeText(int64_t size);
    // "0x%08X" (more digits from 4 GiB on), or the offset in decimal.
    static QString AddressText(uint64_t cursor, int decimalAddress);

private:
    CColorStsBar& status;
    CColorStsBar& numeric;
};
