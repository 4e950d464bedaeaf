// The byte and line rules of CP932 text that the grids share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Whether `c` begins a double-byte character (0x81-0x9F, 0xE0-0xFC): what a text may not be
// cut after.
bool IsCp932LeadByte(char c);
// Whether `c` is no ASCII byte (0x80-0xFF): a byte of a double-byte character or a
// half-width kana, which the editing rules treat alike.
bool IsCp932HighByte(char c);

// What a line end at the very end of a text makes.
enum class FinalLineEnd {
    kNothing,          // it ends the last line (a pasted text)
    kAnotherEmptyLine  // an empty line follows it (a cell's text drawn over lines)
};
// The lines of `text`, split at CR LF, a lone CR or a lone LF. An empty text has no lines
// with kNothing, one empty line with kAnotherEmptyLine.
std::vector<std::string> SplitLines(std::string_view text, FinalLineEnd finalLineEnd);
