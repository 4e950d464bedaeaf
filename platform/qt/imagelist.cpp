#include "platform/qt/imagelist.h"

int ImageList::Add(const QImage& image) {
    QImage scaled = image.scaled(mWidth, mHeight).convertToFormat(QImage::Format_ARGB32);
    QImage colour(mWidth, mHeight, QImage::Format_RGB32);
    QImage mask(mWidth, mHeight, QImage::Format_RGB32);
    for (int y = 0; y < mHeight; ++y) {
        for (int x = 0; x < mWidth; ++x) {
            QRgb pixel = scaled.pixel(x, y);
            bool drawn = qAlpha(pixel) >= 128;
            colour.setPixel(x, y, drawn ? (pixel | 0xFF000000u) : 0xFF000000u);
            mask.setPixel(x, y, drawn ? 0xFF000000u : 0xFFFFFFFFu);
        }
    }
    mColours.push_back(colour);
    mMasks.push_back(mask);
    return Count() - 1;
}

bool ImageList::GetBitmap(int index, QImage& colour) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    colour = mColours[index];
    return true;
}

bool ImageList::GetMask(int index, QImage& mask) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    mask = mMasks[index];
    return true;
}
