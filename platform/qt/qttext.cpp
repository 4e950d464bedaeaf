#include "platform/qt/qttext.h"

#include "platform/codepage.h"

namespace qttext {

QString FromCp932(std::string_view cp932) {
    return QString::fromStdString(codepage::Cp932ToUtf8(cp932));
}

std::string ToCp932(const QString& text) { return codepage::Utf8ToCp932(text.toStdString()); }

}  // namespace qttext
