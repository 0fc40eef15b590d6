#pragma once

#include <cstdint>
#include <string>

// The record every statement handler receives and updates. The text need not be terminated: end
// (inclusive) bounds it.
struct ExecContext {
    const char* text = nullptr;
    int64_t pos = 0;
    int64_t end = -1;
    int32_t error = 0;
    int64_t line = 0;
    std::string lineText;
    int32_t breakCount = 0;
    int32_t returnCount = 0;
    // Last byte of the whole text, for the line text of an error found in a nested range; -1: same as end.
    int64_t textEnd = -1;

    ExecContext() = default;
    ExecContext(const char* text, int64_t pos, int64_t end) : text(text), pos(pos), end(end), textEnd(end) {}
};
