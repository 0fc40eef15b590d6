#pragma once

#include "compare/ICompareLink.h"

#include <string>

class CInstanceChannel;

// The compare requests carried to another running copy over the instance channel. Every request waits a
// bounded time: a partner that has ended answers nothing at once, one that hangs is given up after the
// time-out.
class CChannelCompareLink : public ICompareLink {
public:
    static constexpr int kRequestTimeoutMs = 5000;
    // Copying the data reads all of it, which may take a while for a large or slow data source.
    static constexpr int kCopyTimeoutMs = 60000;

    CChannelCompareLink(CInstanceChannel& channel, std::string endpoint);

    std::optional<int64_t> Request(int64_t code, int64_t offset) override;

private:
    CInstanceChannel& channel_;
    std::string endpoint_;
};
