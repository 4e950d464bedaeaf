// Reading the whole number at the start of a text.
#pragma once

#include <cstdint>
#include <string_view>

// Skips leading white space (space, TAB, LF, VT, FF, CR), takes one optional '+' or '-',
// then the decimal digits up to the first other byte. A text without digits reads as 0.
// A number beyond the 64-bit range gives the nearest 64-bit limit.
int64_t ReadLeadingInteger(std::string_view text);
