#include "compare/CChannelCompareLink.h"

#include "platform/CInstanceChannel.h"
#include "platform/InstanceMessages.h"

#include <utility>

CChannelCompareLink::CChannelCompareLink(CInstanceChannel& channel, std::string endpoint)
    : channel_(channel), endpoint_(std::move(endpoint)) {}

std::optional<int64_t> CChannelCompareLink::Request(int64_t code, int64_t offset) {
    const int timeout = code == InstanceMessages::kCopyData ? kCopyTimeoutMs : kRequestTimeoutMs;
    return channel_.Send(endpoint_, InstanceMessages::kCompare, code, offset, timeout);
}
