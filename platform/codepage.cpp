// Both directions run through glibc iconv with Microsoft's CP932 table.
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace codepage {
namespace {

// One open conversion descriptor, kept for the life of the process.
class Converter {
public:
    Converter(const char* to, const char* from) : mHandle(iconv_open(to, from)) {
        if (mHandle == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv cannot convert from %s to %s\n", from, to);
            std::abort();
        }
    }
    ~Converter() { iconv_close(mHandle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; an unconvertible input byte is skipped (with the bytes
    // of its character when `skipCharacter` tells how many) and `replacement` written.
    std::string Convert(std::string_view in, std::string_view replacement,
                        size_t (*skipCharacter)(std::string_view rest)) {
        std::string out;
        out.reserve(in.size() * 3 / 2 + 4);
        Run(in, out, replacement, skipCharacter);
        return out;
    }

    // Converts the whole input; false at the first character that is invalid or cannot be
    // held in the target, with `out` then incomplete.
    bool ConvertExact(std::string_view in, std::string& out) {
        out.clear();
        return Run(in, out, {}, nullptr);
    }

private:
    // Appends the converted input to `out`. At a character that is invalid, unmappable or
    // cut short: without `skipCharacter` gives false; else skips it, writes `replacement`
    // and goes on.
    bool Run(std::string_view in, std::string& out, std::string_view replacement,
             size_t (*skipCharacter)(std::string_view rest)) {
        iconv(mHandle, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(mHandle, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1) || errno == E2BIG) {
                continue;
            }
            if (skipCharacter == nullptr) {
                return false;
            }
            size_t skip = skipCharacter(std::string_view(src, srcLeft));
            src += skip;
            srcLeft -= skip;
            out.append(replacement);
            iconv(mHandle, nullptr, nullptr, nullptr, nullptr);
        }
        return true;
    }

    iconv_t mHandle;
};

size_t OneByte(std::string_view) { return 1; }

// Length of the UTF-8 sequence that starts `rest` (what is left of it when the text ends
// inside it), or 1 for a stray byte.
size_t Utf8SequenceLength(std::string_view rest) {
    auto lead = static_cast<unsigned char>(rest[0]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    length = std::min(length, rest.size());
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// ASCII bytes are the same characters in CP932 and UTF-8.
bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

Converter& FromCp932() {
    static Converter converter("UTF-8", "CP932");
    return converter;
}

std::string Cp932ToUtf8(std::string_view cp932) {
    return FromCp932().Convert(cp932, "\xEF\xBF\xBD", OneByte);
}

bool Cp932ToUtf8Exact(std::string_view cp932, std::string& utf8) {
    if (!FromCp932().ConvertExact(cp932, utf8)) {
        return false;
    }
    // CP932 encodes some characters twice (≒ as 81E0 and 8790, 纊 as ED40 and FA5C): two
    // different names would become one. Only bytes that come back unchanged are held
    // exactly. ASCII always does.
    return IsAscii(cp932) || Utf8ToCp932(utf8) == cp932;
}

Converter& ToCp932() {
    static Converter converter("CP932", "UTF-8");
    return converter;
}

std::string Utf8ToCp932(std::string_view utf8) {
    return ToCp932().Convert(utf8, "?", Utf8SequenceLength);
}

bool Utf8ToCp932Exact(std::string_view utf8, std::string& cp932) {
    if (!ToCp932().ConvertExact(utf8, cp932)) {
        return false;
    }
    // The table maps some characters one way only (〜 U+301C gives the bytes of ～ U+FF5E):
    // only a text that comes back unchanged is held exactly. ASCII always does.
    return IsAscii(utf8) || Cp932ToUtf8(cp932) == utf8;
}

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        // The lead byte gives the length and the range of the first continuation byte.
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (*p >= 0xC2 && *p <= 0xDF) {
            length = 2;
        } else if (*p >= 0xE0 && *p <= 0xEF) {
            length = 3;
            low = *p == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
            high = *p == 0xED ? 0x9F : 0xBF;  // no surrogates
        } else if (*p >= 0xF0 && *p <= 0xF4) {
            length = 4;
            low = *p == 0xF0 ? 0x90 : 0x80;
            high = *p == 0xF4 ? 0x8F : 0xBF;  // nothing past U+10FFFF
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high) {
            return false;
        }
        for (int k = 2; k < length; ++k) {
            if (p[k] < 0x80 || p[k] > 0xBF) {
                return false;
            }
        }
        p += length;
    }
    return true;
}

}  // namespace codepage
