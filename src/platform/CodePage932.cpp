#include "platform/CodePage932.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Converts with iconv; a sequence that cannot be converted is replaced by `replacement` and skipped
// by `skip` input bytes (1, or 2 for an unconvertible double-byte pair in code page 932).
std::string Convert(const char* to, const char* from, const std::string& in, const std::string& replacement,
                    size_t unitSize, bool fromCp932) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return out;
    }
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc != static_cast<size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL: replace one character and go on.
        out += replacement;
        size_t skip = unitSize;
        if (fromCp932 && CodePage932::IsLeadByte(static_cast<unsigned char>(*src)) && srcLeft >= 2) {
            skip = 2;
        }
        if (skip > srcLeft) {
            skip = srcLeft;
        }
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::u16string CodePage932::ToUtf16(const std::string& text) {
    const char16_t fffd = 0xFFFD;
    std::string bytes =
        Convert("UTF-16LE", "CP932", text, std::string(reinterpret_cast<const char*>(&fffd), 2), 1, true);
    std::u16string result(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return result;
}

std::string CodePage932::FromUtf16(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return Convert("CP932", "UTF-16LE", bytes, "?", 2, false);
}

bool CodePage932::FromUtf16Exact(const std::u16string& text, std::string& out) {
    out.clear();
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    char* src = &bytes[0];
    size_t srcLeft = bytes.size();
    std::string result(text.size() * 2 + 4, '\0');
    char* dst = &result[0];
    size_t dstLeft = result.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0) {
        return false;
    }
    result.resize(result.size() - dstLeft);
    out = result;
    return true;
}

std::string CodePage932::ToUtf8(const std::string& text) {
    return Convert("UTF-8", "CP932", text, "\xEF\xBF\xBD", 1, true);
}

std::string CodePage932::FromUtf8(const std::string& utf8) {
    return Convert("CP932", "UTF-8", utf8, "?", 1, false);
}

bool CodePage932::IsValidUtf8(const std::string& text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        unsigned int min = 0;
        unsigned int code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n) {
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (t & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string CodePage932::ToUpper(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c) && i + 1 < out.size()) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

int CodePage932::CompareNoCase(const std::string& a, const std::string& b) {
    std::string ua = ToUpper(a);
    std::string ub = ToUpper(b);
    int c = ua.compare(ub);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
