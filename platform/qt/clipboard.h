// The system clipboard for the grids. Texts cross it as CP932 bytes; this is the only place
// where they are converted to and from Unicode.
#pragma once

#include <QImage>

#include <string>
#include <string_view>

class Clipboard {
public:
    // False when the desktop has no clipboard.
    bool Open();
    // Replaces the clipboard's content by `cp932` as text.
    void SetText(std::string_view cp932);
    // The clipboard's text ("" when it holds none); characters CP932 lacks become '?'.
    std::string GetText() const;
    // The clipboard's picture; a null image when it holds none.
    QImage GetImage() const;
    // Replaces the clipboard's content by a picture.
    void SetImage(const QImage& image);
    void Close() {}
};
