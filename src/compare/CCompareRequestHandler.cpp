#include "compare/CCompareRequestHandler.h"

#include "compare/ICompareHost.h"
#include "platform/CCompareBlock.h"
#include "platform/InstanceMessages.h"

#include <limits>

int64_t CCompareRequestHandler::CopyData(ICompareHost& host, const std::string& blockName) {
    CCompareBlock block = CCompareBlock::OpenForWriting(blockName);
    const uint64_t size = host.DataSize();
    if (!block.IsOpen() || size == 0 || block.Size() != size) {
        return 0;
    }
    const uint64_t read = host.ReadData(0, block.WritableBytes(), size);
    return read == size ? 1 : 0;
}

int64_t CCompareRequestHandler::Answer(ICompareHost& host, int64_t code, int64_t offset,
                                       const std::string& blockName) {
    using namespace InstanceMessages;
    const int64_t kLargest = std::numeric_limits<int64_t>::max();
    switch (code) {
    case kDataSize: {
        const uint64_t size = host.DataSize();
        return size > static_cast<uint64_t>(kLargest) ? kLargest : static_cast<int64_t>(size);
    }
    case kCopyData:
        return CopyData(host, blockName);
    case kMoveCursor:
        if (offset >= 0) {
            host.MoveCursor(static_cast<uint64_t>(offset));
        }
        return 1;
    case kIdentify:
        return kIdentifyAnswer;
    case kClearDifferences:
        host.ClearDifferences();
        return 1;
    case kAddDifference:
        if (offset >= 0) {
            host.AddDifference(static_cast<uint64_t>(offset));
        }
        return 1;
    case kCursor: {
        const uint64_t cursor = host.Cursor();
        return cursor > static_cast<uint64_t>(kLargest) ? kLargest : static_cast<int64_t>(cursor);
    }
    default:
        return 0;
    }
}
