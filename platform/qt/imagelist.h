// A list of same-sized images, each a colour bitmap with a mask bitmap (white where the
// image is transparent, black where it is drawn), addressed by index from 0.
#pragma once

#include <QImage>

#include <vector>

class ImageList {
public:
    ImageList(int width, int height) : mWidth(width), mHeight(height) {}

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Count() const { return static_cast<int>(mColours.size()); }

    // Adds an image; pixels whose alpha is below half become transparent. Gives its index.
    int Add(const QImage& image);

    // Copies of the colour and mask bitmaps of image `index`; false when there is none.
    bool GetBitmap(int index, QImage& colour) const;
    bool GetMask(int index, QImage& mask) const;

private:
    int mWidth;
    int mHeight;
    std::vector<QImage> mColours;  // black where transparent
    std::vector<QImage> mMasks;
};
