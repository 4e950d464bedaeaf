// Conversion between CP932 (Shift-JIS) bytes and UTF-8, used only where a text is shown,
// measured or exchanged with the desktop; stored data always stays in CP932.
#pragma once

#include <string>
#include <string_view>

namespace codepage {

// How a written text file is encoded: as the program holds its texts (CP932), or as UTF-8,
// with or without a byte-order mark (spreadsheet programs look for one).
enum class TextEncoding { cp932, utf8, utf8Bom };

// The byte-order mark of UTF-8.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Decodes CP932 bytes for display. Never fails: every byte that does not start a valid
// CP932 character becomes U+FFFD and decoding goes on with the next byte.
std::string Cp932ToUtf8(std::string_view cp932);

// Decodes CP932 bytes exactly: false at the first byte that does not start a valid CP932
// character, with `utf8` then incomplete, and for a text with a character in the form
// CP932 does not encode it back to (the second of a character encoded twice).
bool Cp932ToUtf8Exact(std::string_view cp932, std::string& utf8);

// Encodes UTF-8 as CP932. A character that CP932 cannot hold, or a byte that is not valid
// UTF-8, becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Encodes UTF-8 as CP932 exactly: false when a character cannot be held in CP932 (also
// one that CP932 holds only as another character, such as 〜 U+301C, whose bytes decode as
// ～ U+FF5E) or a byte is not valid UTF-8. Two different texts never give the same bytes.
bool Utf8ToCp932Exact(std::string_view utf8, std::string& cp932);

}  // namespace codepage
