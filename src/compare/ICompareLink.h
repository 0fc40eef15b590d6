#pragma once

#include <cstdint>
#include <optional>

// The way to the partner of a comparison: one compare request (its code and an offset where needed) and the
// partner's answer, or nothing when the partner has gone or did not answer in time.
class ICompareLink {
public:
    virtual ~ICompareLink() = default;

    virtual std::optional<int64_t> Request(int64_t code, int64_t offset) = 0;
};
