#include "platform/qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/qttext.h"

bool Clipboard::Open() { return QGuiApplication::clipboard() != nullptr; }

void Clipboard::SetText(std::string_view cp932) {
    QGuiApplication::clipboard()->setText(qttext::FromCp932(cp932));
}

std::string Clipboard::GetText() const {
    return qttext::ToCp932(QGuiApplication::clipboard()->text());
}
