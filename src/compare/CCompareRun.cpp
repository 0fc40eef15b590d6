#include "compare/CCompareRun.h"

#include "compare/ICompareHost.h"
#include "compare/ICompareLink.h"
#include "compare/ICompareSteps.h"
#include "platform/CCompareBlock.h"
#include "platform/InstanceMessages.h"

#include <algorithm>
#include <vector>

namespace {

// The wait cursor for as long as the comparison runs, whichever way it ends.
class WaitCursor {
public:
    explicit WaitCursor(ICompareSteps& steps) : steps_(steps) { steps_.ShowWaitCursor(true); }
    ~WaitCursor() { steps_.ShowWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    ICompareSteps& steps_;
};

// Our own data, read live in blocks: a block is dropped whenever the user had the chance to act.
class LiveReader {
public:
    explicit LiveReader(const ICompareHost& host) : host_(host) {}
    bool Byte(uint64_t offset, unsigned char& byte) {
        if (offset < start_ || offset - start_ >= count_) {
            const uint64_t size = host_.DataSize();
            buffer_.resize(kBlock);
            start_ = offset;
            count_ =
                offset < size ? host_.ReadData(offset, buffer_.data(), std::min(kBlock, size - offset)) : 0;
            if (count_ == 0) {
                return false;
            }
        }
        byte = buffer_[static_cast<size_t>(offset - start_)];
        return true;
    }
    void Drop() { count_ = 0; }

private:
    static constexpr uint64_t kBlock = 64 * 1024;
    const ICompareHost& host_;
    std::vector<unsigned char> buffer_;
    uint64_t start_ = 0;
    uint64_t count_ = 0;
};

} // namespace

int64_t CCompareRun::Run(ICompareHost& ours, ICompareLink& partner, ICompareSteps& steps,
                         const Options& options) {
    using namespace InstanceMessages;
    WaitCursor wait(steps);
    const uint64_t ourSize = ours.DataSize();
    const std::optional<int64_t> partnerSize = partner.Request(kDataSize, 0);
    if (!partnerSize || *partnerSize <= 0) {
        return kFailed;
    }
    const uint64_t n = static_cast<uint64_t>(*partnerSize);
    CCompareBlock block(options.blockName);
    if (!block.Create(n)) {
        return kFailed;
    }
    const std::optional<int64_t> copied = partner.Request(kCopyData, 0);
    if (!copied || *copied == 0) {
        return kFailed;
    }
    ours.ClearDifferences();
    if (!partner.Request(kClearDifferences, 0)) {
        return kFailed;
    }
    if (!block.IsOpen() || block.Size() < n) {
        return kFailed;
    }
    const unsigned char* theirs = block.Bytes();
    steps.ArrangeWindows();

    LiveReader reader(ours);
    int64_t count = 0;
    int mode = ICompareSteps::kNext;
    // Our offset i meets the partner's offset partnerStart + (i - ourStart).
    for (uint64_t i = options.ourStart, j = options.partnerStart; i < ourSize && j < n; ++i, ++j) {
        unsigned char byte = 0;
        if (!reader.Byte(i, byte)) {
            break;
        }
        if (byte == theirs[j]) {
            continue;
        }
        const int64_t at = static_cast<int64_t>(j);
        if (!partner.Request(kMoveCursor, at) || (options.putColor && !partner.Request(kAddDifference, at))) {
            return kFailed;
        }
        ours.MoveCursor(i);
        if (options.putColor) {
            ours.AddDifference(i);
        }
        ++count;
        if (mode == ICompareSteps::kNext) {
            steps.ShowWaitCursor(false);
            mode = steps.AskNextStep();
            steps.ShowWaitCursor(true);
            reader.Drop();
            if (mode != ICompareSteps::kNext && mode != ICompareSteps::kNonStop) {
                break;
            }
        }
    }
    return count;
}
