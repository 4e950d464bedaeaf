// A canvas that records every call as a line of text, with fixed text metrics: each byte
// is 7 pixels wide and every text 12 pixels high.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/qt/canvas.h"

class RecordingCanvas final : public Canvas {
public:
    static constexpr int kByteWidth = 7;
    static constexpr int kTextHeight = 12;

    void SetBrushColor(TColor color) override { mBrush = color; }
    TColor BrushColor() const override { return mBrush; }
    void FillRect(const PixelRect& r) override { Log("fill %06X %s", mBrush, Rect(r).c_str()); }
    CanvasPen Pen() const override { return mPen; }
    void SetPen(const CanvasPen& pen) override {
        mPen = pen;
        Log("pen %06X %d %s", pen.Color, pen.Width, pen.Solid ? "solid" : "other");
    }
    void MoveTo(int x, int y) override { Log("move %d,%d", x, y); }
    void LineTo(int x, int y) override { Log("line %d,%d", x, y); }
    QFont Font() const override { return mFont; }
    void SetFont(const QFont& font) override { mFont = font; }
    int TextWidth(const char* text) override {
        return kByteWidth * static_cast<int>(std::string(text).size());
    }
    int TextHeight(const char*) override { return kTextHeight; }
    void TextRect(const PixelRect& clip, int x, int y, const char* text) override {
        Log("text %d,%d clip %s brush %06X font %s '%s'", x, y, Rect(clip).c_str(), mBrush,
            mFont.family().toStdString().c_str(), text);
    }
    void PushClip(const PixelRect& r) override { Log("clip %s", Rect(r).c_str()); }
    void PopClip() override { Log("unclip"); }
    void Draw(int x, int y, const QImage& bitmap, RasterOp op) override {
        static const char* kNames[] = {"and", "erase", "paint", "copy"};
        Log("draw %d,%d %dx%d %s", x, y, bitmap.width(), bitmap.height(), kNames[op]);
    }

    // The recorded calls, one per line.
    std::string Calls() const {
        std::string out;
        for (const std::string& call : mCalls) {
            out += call + "\n";
        }
        return out;
    }
    // Only the calls that start with `prefix`.
    std::string Calls(const std::string& prefix) const {
        std::string out;
        for (const std::string& call : mCalls) {
            if (call.rfind(prefix, 0) == 0) {
                out += call + "\n";
            }
        }
        return out;
    }
    void Clear() { mCalls.clear(); }

private:
    static std::string Rect(const PixelRect& r) {
        return std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" +
               std::to_string(r.Right) + "," + std::to_string(r.Bottom);
    }
    template <typename... Args>
    void Log(const char* format, Args... args) {
        char line[512];
        std::snprintf(line, sizeof line, format, args...);
        mCalls.emplace_back(line);
    }

    TColor mBrush = clWhite;
    CanvasPen mPen;
    QFont mFont;
    std::vector<std::string> mCalls;
};
