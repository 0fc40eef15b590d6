#include "data/CNavigator.h"

#include "data/CDataStore.h"
#include "data/CRowLayout.h"
#include "data/ValueFormat.h"
#include "data/ValueParse.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

CNavigator::CNavigator(CDataStore& store, const CRowLayout& layout) : store(store), layout(layout) {}

int CNavigator::AddressDigits(uint64_t dataSize, int decimalAddress) {
    char text[32];
    int length = std::snprintf(text, sizeof text, decimalAddress ? "%" PRIu64 : "%" PRIX64, dataSize);
    return std::max(length, 1);
}

std::string CNavigator::AddressText(uint64_t address, int digits, int decimalAddress) {
    char text[48];
    std::snprintf(text, sizeof text, decimalAddress ? "%*" PRIu64 : "%0*" PRIX64, digits, address);
    return text;
}

std::string CNavigator::InitialAddressText(uint64_t cursor, uint64_t dataSize, int decimalAddress) {
    if (decimalAddress) {
        return AddressText(cursor, AddressDigits(dataSize, 1), 1);
    }
    return AddressText(cursor, 16, 0);
}

std::string CNavigator::InitialOffsetText(int decimalAddress) {
    return decimalAddress ? "0" : "0000";
}

int CNavigator::ParseJumpField(const std::string& text, int decimalAddress, uint64_t& value) {
    unsigned char bytes[8] = {};
    int result = kParseOk;
    if (decimalAddress) {
        result = ParseIntegerText(text, sizeof bytes, false, bytes);
    } else {
        size_t count = 0;
        result = ParseHexText(text, sizeof bytes, bytes, count);
    }
    if (result != kParseOk) {
        return result;
    }
    value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return kParseOk;
}

uint64_t CNavigator::ClampJumpTarget(uint64_t target, uint64_t dataSize) {
    if (dataSize == 0) {
        return 0;
    }
    return std::min(target, dataSize - 1);
}

bool CNavigator::JumpTopTarget(uint64_t& target) const {
    if (store.GetDataSize() == 0) {
        return false;
    }
    target = 0;
    return true;
}

bool CNavigator::JumpEndTarget(uint64_t& target) const {
    uint64_t size = store.GetDataSize();
    if (size == 0) {
        return false;
    }
    target = size - 1;
    return true;
}

bool CNavigator::OffsetJump(int width, bool relative, int littleEndian, uint64_t& target) const {
    if (width != 1 && width != 2 && width != 4) {
        return false;
    }
    uint64_t size = store.GetDataSize();
    uint64_t cursor = Cursor();
    if (cursor > size || static_cast<uint64_t>(width) > size - cursor) {
        return false;
    }
    unsigned char bytes[4] = {};
    if (store.ReadData(cursor, bytes, width) != static_cast<uint64_t>(width)) {
        return false;
    }
    if (!littleEndian) {
        ReverseBytes(width, bytes);
    }
    uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    // The cursor lies below the data size and the value below 2^32, so the sum cannot wrap.
    uint64_t destination = relative ? cursor + value : value;
    if (destination >= size) {
        return false;
    }
    target = destination;
    return true;
}

uint64_t CNavigator::Cursor() const {
    return store.Pane(store.CurrentPane()).cursor;
}

uint64_t CNavigator::CursorUnitSize() const {
    int unit = layout.RowOf(Cursor()).unitSize;
    return unit > 0 ? static_cast<uint64_t>(unit) : 1;
}

bool CNavigator::ToggleMark() {
    uint64_t first = Cursor();
    uint64_t last = first + CursorUnitSize() - 1;
    std::vector<uint32_t> inside;
    for (uint32_t mark : store.Marks()) {
        if (mark >= first && mark <= last) {
            inside.push_back(mark);
        }
    }
    if (inside.empty()) {
        return store.AddMark(first);
    }
    for (uint32_t mark : inside) {
        store.RemoveMark(mark);
    }
    return true;
}

bool CNavigator::NextMark(uint64_t& target) const {
    uint64_t unitEnd = Cursor() + CursorUnitSize() - 1;
    const std::vector<uint32_t>& marks = store.Marks();
    auto next = std::find_if(marks.begin(), marks.end(), [&](uint32_t mark) { return mark > unitEnd; });
    if (next == marks.end() || *next >= store.GetDataSize()) {
        return false;
    }
    target = *next;
    return true;
}

bool CNavigator::PrevMark(uint64_t& target) const {
    uint64_t cursor = Cursor();
    const std::vector<uint32_t>& marks = store.Marks();
    auto previous = std::find_if(marks.rbegin(), marks.rend(), [&](uint32_t mark) { return mark < cursor; });
    if (previous == marks.rend() || *previous >= store.GetDataSize()) {
        return false;
    }
    target = *previous;
    return true;
}

bool CNavigator::RemoveAllMarks() {
    if (store.Marks().empty()) {
        return false;
    }
    store.ClearMarks();
    return true;
}
