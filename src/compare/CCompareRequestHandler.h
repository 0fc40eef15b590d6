#pragma once

#include <cstdint>
#include <string>

class ICompareHost;

// The partner's side of a comparison: the answer every copy gives, at any time, to one of the seven compare
// requests of another copy.
class CCompareRequestHandler {
public:
    // code is the request (InstanceMessages::CompareRequest), offset its argument where it takes one;
    // blockName is where the copy-data request puts the data. An unknown code is answered 0.
    static int64_t Answer(ICompareHost& host, int64_t code, int64_t offset, const std::string& blockName);

    // The copy-data request: the whole data into the shared block, which must be exactly as large as the
    // data (so nothing is written past its end and the comparing copy never reads bytes that are not the
    // data). 1 when all of it was read, else 0.
    static int64_t CopyData(ICompareHost& host, const std::string& blockName);
};
