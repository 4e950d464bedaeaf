#include "data/tqstring.h"

#include <algorithm>
#include <cstring>

tqString::tqString(const char* text) { SetText(text); }

tqString::tqString(const char* text, size_t length) { Assign(text, length); }

tqString::tqString(const tqString& other) { Assign(other.mText.get(), other.mLength); }

tqString& tqString::operator=(const tqString& other) {
    if (this != &other) {
        Assign(other.mText.get(), other.mLength);
    }
    return *this;
}

void tqString::SetText(const char* text) { Assign(text, text ? std::strlen(text) : 0); }

void tqString::Assign(const char* text, size_t length) {
    if (length == 0) {
        mText.reset();
        mLength = 0;
        return;
    }
    auto copy = std::make_unique_for_overwrite<char[]>(length + 1);
    std::memcpy(copy.get(), text, length);
    copy[length] = '\0';
    mText = std::move(copy);
    mLength = length;
}

int tqString::CompareTo(const tqString& other) const {
    // memcmp compares as unsigned bytes; the shorter text wins a tie of the common part.
    int d = std::memcmp(GetText(), other.GetText(), std::min(mLength, other.mLength));
    if (d != 0) {
        return d;
    }
    return mLength < other.mLength ? -1 : mLength > other.mLength ? 1 : 0;
}
