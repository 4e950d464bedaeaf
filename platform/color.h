// Colours and pixel rectangles as the grids and the window name them, without any window
// system.
#pragma once

#include <cstdint>

// A colour as 0x00BBGGRR: blue in the high byte.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clSilver = 0xC0C0C0;

// A pixel rectangle; Right and Bottom lie just outside it (width = Right - Left).
struct PixelRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const PixelRect&) const = default;
};
