#include "grid/charclass.h"

#include <cctype>

#include "data/cp932text.h"

bool aIsalnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool aIsHifun(char c) { return c == '-'; }
bool aIsSlush(char c) { return c == '/'; }
bool aIsEdit(char c) { return c >= 0x01 && c <= 0x1F; }
bool aIsDigit(char c) { return c >= '0' && c <= '9'; }
bool aIsAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool aIsKanji(char c) { return IsCp932HighByte(c); }

void DeleteLastChar(std::string& text) {
    if (!text.empty()) {
        text.pop_back();
    }
}
