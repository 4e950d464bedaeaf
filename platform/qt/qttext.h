// CP932 bytes to and from Qt's strings, for showing texts in widgets.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace qttext {

// Lenient: bytes that are not CP932 show as U+FFFD.
QString FromCp932(std::string_view cp932);
// Characters that CP932 lacks become '?'.
std::string ToCp932(const QString& text);

}  // namespace qttext
