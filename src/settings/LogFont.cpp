#include "settings/LogFont.h"

std::string LogFont::FitFaceName(const std::string& name) {
    if (name.size() <= kMaxFaceNameBytes) {
        return name;
    }
    size_t end = kMaxFaceNameBytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
        --end;
    }
    return name.substr(0, end);
}
