// The bytes of a CP932 text file with CR LF line ends, written in the tests as UTF-8 with LF.
#pragma once

#include <string>

#include "platform/codepage.h"

inline std::string Cp932File(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return codepage::Utf8ToCp932(crlf);
}
