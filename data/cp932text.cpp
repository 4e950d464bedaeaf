#include "data/cp932text.h"

bool IsCp932LeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsCp932HighByte(char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; }

std::vector<std::string> SplitLines(std::string_view text, FinalLineEnd finalLineEnd) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    if (finalLineEnd == FinalLineEnd::kNothing && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}
