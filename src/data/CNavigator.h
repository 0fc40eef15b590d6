#pragma once

#include <cstdint>
#include <string>

class CDataStore;
class CRowLayout;

// Where the jump commands and the mark commands lead, for the current pane of a data store. Nothing here
// moves the cursor: the commands return the target offset and the window moves its cursor there (which also
// scrolls the row into view). Marks are changed here, since they belong to the store.
class CNavigator {
public:
    // The layout gives the unit size of the cursor's row; both objects must outlive the navigator.
    CNavigator(CDataStore& store, const CRowLayout& layout);

    // --- addresses as the address column shows them ---
    // Characters of the data size written in hexadecimal or decimal; an empty data gives 1.
    static int AddressDigits(uint64_t dataSize, int decimalAddress);
    // Hexadecimal zero-padded, or decimal padded with spaces, to digits characters.
    static std::string AddressText(uint64_t address, int digits, int decimalAddress);

    // --- the jump dialog ---
    // The address field's first text: the cursor in 16 hexadecimal digits, or in decimal right-aligned in
    // the address column's width.
    static std::string InitialAddressText(uint64_t cursor, uint64_t dataSize, int decimalAddress);
    // The offset field's first text: "0000", or "0" with decimal addresses.
    static std::string InitialOffsetText(int decimalAddress);
    // Parses one field as an unsigned 8-byte value (hexadecimal or decimal); returns a parse result code.
    static int ParseJumpField(const std::string& text, int decimalAddress, uint64_t& value);
    // A target at or beyond the last byte becomes the last byte; an empty data gives 0.
    static uint64_t ClampJumpTarget(uint64_t target, uint64_t dataSize);

    // --- targets of the jump commands; false when there is nowhere to go ---
    bool JumpTopTarget(uint64_t& target) const;
    bool JumpEndTarget(uint64_t& target) const;
    // Follows the 1-, 2- or 4-byte unsigned value at the cursor (read in the given byte order): to the
    // value itself, or forward from the cursor when relative. False (the caller beeps) when the value does
    // not fit before the end or the target lies at or beyond the data size.
    bool OffsetJump(int width, bool relative, int littleEndian, uint64_t& target) const;

    // --- marks ---
    // Removes every mark inside the cursor's unit, or marks the cursor when there is none. False when
    // nothing changed (an offset of 4 GiB or more cannot be marked).
    bool ToggleMark();
    // The first mark after the cursor's unit, or the last mark before the cursor, when it lies inside the
    // data. No wrap-around.
    bool NextMark(uint64_t& target) const;
    bool PrevMark(uint64_t& target) const;
    // False when there were no marks.
    bool RemoveAllMarks();

private:
    uint64_t Cursor() const;
    uint64_t CursorUnitSize() const;

    CDataStore& store;
    const CRowLayout& layout;
};
