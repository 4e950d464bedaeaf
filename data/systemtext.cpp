#include "data/systemtext.h"

#include <string>
#include <unordered_map>

#include "platform/codepage.h"

const char* SystemText(const char* utf8Literal) {
    static std::unordered_map<const char*, std::string> converted;
    auto [entry, added] = converted.try_emplace(utf8Literal);
    if (added) {
        entry->second = codepage::Utf8ToCp932(utf8Literal);
    }
    return entry->second.c_str();
}
