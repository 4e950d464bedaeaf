#include "platform/qt/gridaxis.h"

#include <algorithm>

void GridAxis::SetCount(int count) {
    mCount = std::max(count, 0);
    mSizes.resize(mCount, -1);
    mFixed = std::min(mFixed, mCount);
    SetFirst(mFirst);
}

void GridAxis::SetFixed(int fixed) {
    mFixed = std::clamp(fixed, 0, mCount);
    mFirst = mFixed;  // scrolling starts over right after the fixed items
}

void GridAxis::SetFirst(int first) { mFirst = std::max(std::min(first, mCount - 1), mFixed); }

int GridAxis::Size(int index) const {
    if (index < 0 || index >= mCount || mSizes[index] < 0) {
        return mDefaultSize;
    }
    return mSizes[index];
}

void GridAxis::SetSize(int index, int size) {
    if (index >= 0 && index < mCount) {
        mSizes[index] = std::max(size, 0);
    }
}

void GridAxis::SetDefaultSize(int size) { mDefaultSize = std::max(size, 0); }

int GridAxis::FixedExtent() const {
    int extent = 0;
    for (int i = 0; i < mFixed; ++i) {
        extent += Size(i) + mLineWidth;
    }
    return extent;
}

bool GridAxis::Start(int index, int& start) const {
    if (index < 0 || index >= mCount || (index >= mFixed && index < mFirst)) {
        return false;
    }
    int from = index < mFixed ? 0 : mFirst;
    start = index < mFixed ? 0 : FixedExtent();
    for (int i = from; i < index; ++i) {
        start += Size(i) + mLineWidth;
    }
    return true;
}

int GridAxis::Offset(int index) const {
    int start = 0;
    if (Start(index, start)) {
        return start;
    }
    start = FixedExtent();
    for (int i = index; i < mFirst; ++i) {
        start -= Size(i) + mLineWidth;
    }
    return start;
}

int GridAxis::ItemAt(int pixel, int extent) const {
    if (pixel < 0 || pixel >= extent) {
        return -1;
    }
    int start = 0;
    for (int i = 0; i < mCount; ++i) {
        if (i == mFixed) {
            i = std::max(i, mFirst);  // skip the items scrolled out of view
        }
        int end = start + Size(i);
        if (pixel < end) {
            return i;
        }
        start = end + mLineWidth;
        if (pixel < start) {
            return -1;  // on the line after item i
        }
    }
    return -1;
}

int GridAxis::MaxFirst(int extent) const {
    const int room = extent - FixedExtent();
    int first = mCount - 1;
    int used = Size(first) + mLineWidth;
    while (first - 1 >= mFixed && used + Size(first - 1) <= room) {
        --first;
        used += Size(first) + mLineWidth;
    }
    return std::max(first, mFixed);
}

int GridAxis::FullyVisible(int extent) const {
    int used = FixedExtent();
    int visible = 0;
    for (int i = mFirst; i < mCount; ++i) {
        used += Size(i);
        if (used > extent) {
            break;
        }
        used += mLineWidth;
        ++visible;
    }
    return visible;
}

bool GridAxis::IsInView(int index, int extent) const {
    if (index < 0 || index >= mCount) {
        return false;
    }
    if (index < mFixed) {
        return true;
    }
    // One item past the whole ones may show in part.
    return index >= mFirst && index <= mFirst + FullyVisible(extent);
}
