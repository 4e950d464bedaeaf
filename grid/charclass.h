// The character classes of one CP932 byte that the grids' input rules use.
#pragma once

#include <string>

bool aIsalnum(char c);
bool aIsHifun(char c);  // '-'
bool aIsSlush(char c);  // '/'
bool aIsEdit(char c);   // control characters 0x01-0x1F
bool aIsDigit(char c);
bool aIsAlpha(char c);
bool aIsKanji(char c);  // 0x80-0xFF: part of a double-byte character or half-width kana
// Drops the last byte of `text` (of a double-byte character, only its trail byte).
void DeleteLastChar(std::string& text);
