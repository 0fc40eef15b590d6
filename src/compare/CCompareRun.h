#pragma once

#include <cstdint>
#include <string>

class ICompareHost;
class ICompareLink;
class ICompareSteps;

// One comparison, run by the comparing copy: the partner's whole data is copied once into the shared block,
// then both data are walked in step from the two start offsets; at each differing byte both cursors move to
// it and, with colouring, both lists of different data record it. Bytes past the end of the shorter data are
// not compared.
class CCompareRun {
public:
    static constexpr int64_t kFailed = -1;

    struct Options {
        uint64_t ourStart = 0;
        uint64_t partnerStart = 0;
        bool putColor = true;
        std::string blockName;
    };

    // The number of differences found, or kFailed when the partner has no data, the block cannot be had,
    // the partner cannot copy its data, or it stops answering on the way. Differences found before a
    // failure stay recorded.
    static int64_t Run(ICompareHost& ours, ICompareLink& partner, ICompareSteps& steps,
                       const Options& options);
};
