#pragma once

#include <string>
#include <vector>

// The messages the data source operations ask their caller to show. Each code stands for exactly one message
// text; a notice may carry an argument that is appended to the text without a space (a library or function
// name).
enum class DataMessage {
    CannotReadFile,       // "Cannot read file"
    FileInUseViewMode,    // "This file is used by another process. Open it view mode"
    FileTooLargeViewMode, // "Size of this file is over Max specified in option. Open it view mode."
    CannotWrite,          // "cannot write"
    FailToLoadDll,        // "Fail to Load DLL:" + library name
    FailToLoadFunction,   // "Fail to Load Function:" + function name
};

struct DataNotice {
    DataMessage message;
    std::string argument;
};

// What an operation did and which messages to show, in order.
struct DataOutcome {
    bool success = false;
    std::vector<DataNotice> notices;
};

// The message text in UTF-8 for language 0 (Japanese) or 1 (English), without the argument.
std::string DataMessageText(DataMessage message, int language);
// The text and its argument, as shown in the message box.
std::string DataNoticeText(const DataNotice& notice, int language);
