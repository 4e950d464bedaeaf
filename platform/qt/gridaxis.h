// One axis (the columns or the rows) of a string grid: item sizes, fixed items at the
// start that never scroll, and the first scrollable item shown. Pure pixel arithmetic.
#pragma once

#include <vector>

class GridAxis {
public:
    int Count() const { return mCount; }
    void SetCount(int count);
    int Fixed() const { return mFixed; }
    void SetFixed(int fixed);
    // The first scrollable item shown (>= Fixed); SetFixed resets it to Fixed.
    int First() const { return mFirst; }
    void SetFirst(int first);
    int LineWidth() const { return mLineWidth; }
    void SetLineWidth(int width) { mLineWidth = width; }

    int Size(int index) const;
    void SetSize(int index, int size);
    int DefaultSize() const { return mDefaultSize; }
    // Sets every item without a size of its own, and every later item, to `size`.
    void SetDefaultSize(int size);

    // The pixel where item `index` starts; false when it is scrolled out of view.
    bool Start(int index, int& start) const;
    // The pixel where item `index` starts even when scrolled out: items scrolled away lie
    // before the scrollable area, at negative or fixed-area pixels.
    int Offset(int index) const;
    // The item at `pixel`, or -1 past the last item or on a grid line gap.
    int ItemAt(int pixel, int extent) const;
    // Pixels taken by the fixed items and their lines.
    int FixedExtent() const;
    // The largest First that still fills `extent` with the last items.
    int MaxFirst(int extent) const;
    // Whether item `index` shows, whole or in part, within `extent` pixels.
    bool IsInView(int index, int extent) const;
    // The number of scrollable items from First that fit whole into `extent`.
    int FullyVisible(int extent) const;

private:
    int mCount = 0;
    int mFixed = 0;
    int mFirst = 0;
    int mLineWidth = 1;
    int mDefaultSize = 24;
    std::vector<int> mSizes;  // -1: the default size
};
