#pragma once

#include <cstdint>
#include <string>

// A font description with the fields of the settings file's font sections (Windows LOGFONT fields).
struct LogFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::string faceName; // UTF-8, at most 31 bytes

    static constexpr size_t kMaxFaceNameBytes = 31;
    // Cuts a face name to 31 bytes without splitting a character.
    static std::string FitFaceName(const std::string& name);
};
