// The canvas on a QPainter: how the grids reach the screen (or an image).
#pragma once

#include <QPainter>
#include <QRegion>

#include <vector>

#include "platform/qt/canvas.h"

class PainterCanvas final : public Canvas {
public:
    // Paints through `painter`, which must outlive the canvas.
    explicit PainterCanvas(QPainter& painter);

    void SetBrushColor(TColor color) override { mBrush = color; }
    TColor BrushColor() const override { return mBrush; }
    void FillRect(const PixelRect& rect) override;
    CanvasPen Pen() const override { return mPen; }
    void SetPen(const CanvasPen& pen) override { mPen = pen; }
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    QFont Font() const override { return mPainter.font(); }
    void SetFont(const QFont& font) override { mPainter.setFont(font); }
    int TextWidth(const char* cp932) override;
    int TextHeight(const char* cp932) override;
    void TextRect(const PixelRect& clip, int x, int y, const char* cp932) override;
    void Draw(int x, int y, const QImage& bitmap, RasterOp op) override;
    void PushClip(const PixelRect& rect) override;
    void PopClip() override;

    static QColor ToQColor(TColor color);

private:
    QPainter& mPainter;
    TColor mBrush = clWhite;
    CanvasPen mPen;
    int mX = 0;
    int mY = 0;
    struct SavedClip {
        bool on;
        QRegion region;
    };
    std::vector<SavedClip> mClips;
};
