#include "data/csvdialect.h"

#include <algorithm>

namespace csv {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';

}  // namespace

void SplitCsvLine(std::string_view line, std::vector<std::string>& fields) {
    size_t end = line.find('\0');
    if (end != std::string_view::npos) {
        line = line.substr(0, end);
    }
    size_t count = 0;
    auto next = [&]() -> std::string& {
        if (fields.size() <= count) {
            fields.emplace_back();
        }
        std::string& field = fields[count++];
        field.clear();
        return field;
    };
    if (line.empty()) {
        fields.clear();
        return;
    }
    if (line.find(kQuote) == std::string_view::npos) {  // most lines: cut at the commas
        for (size_t begin = 0;;) {
            const size_t comma = std::min(line.find(kComma, begin), line.size());
            next().assign(line.substr(begin, comma - begin));
            if (comma == line.size()) {
                break;
            }
            begin = comma + 1;
        }
        fields.resize(count);
        return;
    }
    std::string* field = &next();
    bool inside = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (!inside) {
            if (c == kQuote) {
                inside = true;
            } else if (c == kComma) {
                field = &next();
            } else {
                field->push_back(c);
            }
        } else if (c != kQuote) {
            field->push_back(c);
        } else if (i + 1 < line.size() && line[i + 1] == kQuote) {
            field->push_back(kQuote);
            ++i;
        } else if (i + 1 < line.size() && line[i + 1] == kComma) {
            ++i;
            inside = false;
            field = &next();
        }
        // Any other quote inside a quoted part is dropped and the part goes on.
    }
    fields.resize(count);
}

void EncodeCsvField(std::string_view value, std::string& out) {
    // One look at each byte: find_first_of would search the two characters for each.
    if (std::none_of(value.begin(), value.end(),
                     [](char c) { return c == kQuote || c == kComma; })) {
        out.append(value);
        return;
    }
    out.push_back(kQuote);
    for (size_t at = 0;;) {  // each quote inside doubled
        const size_t quote = value.find(kQuote, at);
        out.append(value.substr(at, quote == std::string_view::npos ? quote : quote - at));
        if (quote == std::string_view::npos) {
            break;
        }
        out.append(2, kQuote);
        at = quote + 1;
    }
    out.push_back(kQuote);
}

}  // namespace csv
