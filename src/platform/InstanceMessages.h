#pragma once

#include <cstdint>

// Messages one running copy sends another through CInstanceChannel. The numbers, request codes and answers
// are shared by every copy, old and new, so they never change.
namespace InstanceMessages {

// Compare requests; the first argument is one of CompareRequest, the second an offset where needed.
constexpr uint32_t kCompare = 0x46B;
// Close your copy block; both arguments 0. Answer 1 when a block was closed, else 0.
constexpr uint32_t kCloseCopy = 0x46C;

enum CompareRequest : int64_t {
    kDataSize = 0,
    kCopyData = 1,
    kMoveCursor = 2,
    kIdentify = 3,
    kClearDifferences = 4,
    kAddDifference = 5,
    kCursor = 6,
};

// A comparison places both main windows side by side; the comparing copy asks its partner where its window
// is and where to put it. The first argument is one of WindowRequest.
constexpr uint32_t kWindow = 0x46D;

enum WindowRequest : int64_t {
    // Answer: the horizontal centre of the main window's frame on the screen.
    kWindowCentreX = 0,
    // The second argument packs the frame's new x, y, width and height, 16 bits each (x lowest). Answer 1.
    kPlaceWindow = 1,
};

// What every copy answers to kIdentify: 0xA9C638DF as a signed 32-bit value, sign-extended.
constexpr int64_t kIdentifyAnswer = -1446627105;

// Partners are the copies whose main window title begins with this.
constexpr const char* kTitlePrefix = "KIVRAN";

} // namespace InstanceMessages
