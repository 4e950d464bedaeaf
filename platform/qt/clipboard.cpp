#include "platform/qt/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/qttext.h"

bool Clipboard::Open() { return QGuiApplication::clipboard() != nullptr; }

void Clipboard::SetText(std::string_view cp932) {
    QGuiApplication::clipboard()->setText(qttext::FromCp932(cp932));
}

QImage Clipboard::GetImage() const { return QGuiApplication::clipboard()->image(); }

void Clipboard::SetImage(const QImage& image) { QGuiApplication::clipboard()->setImage(image); }

std::string Clipboard::GetText() const {
    return qttext::ToCp932(QGuiApplication::clipboard()->text());
}
