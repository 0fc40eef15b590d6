#pragma once

#include <cstdint>
#include <string>

// The engine's error codes 0 to 33 with their texts in the two UI languages (0 Japanese, 1 English). A code
// outside 0 to 32 has the texts of code 33, "Unknown error".
namespace EngineErrors {

constexpr int32_t kUnknownError = 33;

// The text as UTF-8, for output on this platform.
const char* TextUtf8(int32_t code, int32_t language);
// The text in code page 932, the engine's own text encoding.
std::string Text(int32_t code, int32_t language);

} // namespace EngineErrors
