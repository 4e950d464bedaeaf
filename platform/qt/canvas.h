// The drawing surface the grids paint on: brush, pen, font, text and bitmaps, in pixel
// coordinates with colours in the 0x00BBGGRR encoding. Texts are CP932 bytes.
#pragma once

#include <QFont>
#include <QImage>

#include <cstdint>

#include "platform/color.h"

struct CanvasPen {
    TColor Color = clBlack;
    int Width = 1;
    bool Solid = true;
    bool operator==(const CanvasPen&) const = default;
};

// Raster operations of a bitmap draw: destination AND source, source AND NOT destination,
// destination OR source, the source as it is.
enum RasterOp { roSrcAnd, roSrcErase, roSrcPaint, roSrcCopy };

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SetBrushColor(TColor color) = 0;
    virtual TColor BrushColor() const = 0;
    // Fills the rectangle with the brush colour.
    virtual void FillRect(const PixelRect& rect) = 0;

    virtual CanvasPen Pen() const = 0;
    virtual void SetPen(const CanvasPen& pen) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // Draws from the current point to (x, y), leaving out (x, y) itself.
    virtual void LineTo(int x, int y) = 0;

    virtual QFont Font() const = 0;
    // Takes over every attribute of `font`.
    virtual void SetFont(const QFont& font) = 0;
    virtual int TextWidth(const char* cp932) = 0;
    virtual int TextHeight(const char* cp932) = 0;
    // Fills `clip` with the brush colour and draws the text with its top-left corner at
    // (x, y), cut off at the edges of `clip`.
    virtual void TextRect(const PixelRect& clip, int x, int y, const char* cp932) = 0;

    // Draws `bitmap` with its top-left corner at (x, y), combining it with what is there.
    virtual void Draw(int x, int y, const QImage& bitmap, RasterOp op) = 0;

    // Limits every later drawing to `rect` as well, until the matching PopClip.
    virtual void PushClip(const PixelRect& rect) = 0;
    virtual void PopClip() = 0;
};
