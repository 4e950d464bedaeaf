#include "platform/qt/paintercanvas.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

#include "platform/qt/qttext.h"

PainterCanvas::PainterCanvas(QPainter& painter) : mPainter(painter) {}

QColor PainterCanvas::ToQColor(TColor color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

void PainterCanvas::FillRect(const PixelRect& rect) {
    if (rect.Width() > 0 && rect.Height() > 0) {
        mPainter.fillRect(rect.Left, rect.Top, rect.Width(), rect.Height(), ToQColor(mBrush));
    }
}

void PainterCanvas::MoveTo(int x, int y) {
    mX = x;
    mY = y;
}

void PainterCanvas::LineTo(int x, int y) {
    // QPainter draws both end points; step the end back by one pixel to leave it out.
    int dx = x - mX;
    int dy = y - mY;
    int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps > 0) {
        QPen pen(ToQColor(mPen.Color), mPen.Width, mPen.Solid ? Qt::SolidLine : Qt::DotLine);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        mPainter.save();
        mPainter.setPen(pen);
        mPainter.setRenderHint(QPainter::Antialiasing, false);
        mPainter.drawLine(mX, mY, x - dx / steps, y - dy / steps);
        mPainter.restore();
    }
    mX = x;
    mY = y;
}

int PainterCanvas::TextWidth(const char* cp932) {
    return QFontMetrics(mPainter.font()).horizontalAdvance(qttext::FromCp932(cp932));
}

int PainterCanvas::TextHeight(const char*) {
    // Every text of one font has the font's line height.
    return QFontMetrics(mPainter.font()).height();
}

void PainterCanvas::TextRect(const PixelRect& clip, int x, int y, const char* cp932) {
    FillRect(clip);
    if (clip.Width() <= 0 || clip.Height() <= 0) {
        return;
    }
    mPainter.save();
    mPainter.setClipRect(QRect(clip.Left, clip.Top, clip.Width(), clip.Height()),
                         mPainter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    mPainter.setPen(QColor(Qt::black));
    mPainter.drawText(x, y + QFontMetrics(mPainter.font()).ascent(), qttext::FromCp932(cp932));
    mPainter.restore();
}

void PainterCanvas::Draw(int x, int y, const QImage& bitmap, RasterOp op) {
    static constexpr QPainter::CompositionMode kModes[] = {
        QPainter::RasterOp_SourceAndDestination,
        QPainter::RasterOp_SourceAndNotDestination,
        QPainter::RasterOp_SourceOrDestination,
        QPainter::CompositionMode_SourceOver,
    };
    mPainter.save();
    mPainter.setCompositionMode(kModes[op]);
    mPainter.drawImage(x, y, bitmap);
    mPainter.restore();
}

void PainterCanvas::PushClip(const PixelRect& rect) {
    mClips.push_back({mPainter.hasClipping(), mPainter.clipRegion()});
    mPainter.setClipRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()),
                         mPainter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void PainterCanvas::PopClip() {
    if (mClips.empty()) {
        return;
    }
    const SavedClip saved = mClips.back();
    mClips.pop_back();
    if (saved.on) {
        mPainter.setClipRegion(saved.region);
    } else {
        mPainter.setClipping(false);
    }
}
