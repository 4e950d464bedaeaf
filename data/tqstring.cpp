#include "data/tqstring.h"

#include <algorithm>
#include <cstring>

tqString::tqString(const char* text) { SetText(text); }

tqString::tqString(const char* text, size_t length) { Assign(text, length); }

tqString::tqString(const tqString& other) { Assign(other.GetText(), other.mLength); }

tqString& tqString::operator=(const tqString& other) {
    if (this != &other) {
        Assign(other.GetText(), other.mLength);
    }
    return *this;
}

tqString::tqString(tqString&& other) noexcept { *this = std::move(other); }

tqString& tqString::operator=(tqString&& other) noexcept {
    if (this != &other) {
        Release();
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);  // the text or its pointer
        other.mLength = 0;
        other.mInline[0] = '\0';
    }
    return *this;
}

void tqString::SetText(const char* text) { Assign(text, text ? std::strlen(text) : 0); }

// `text` may lie in this string's own text: it is copied before that is released.
void tqString::Assign(const char* text, size_t length) {
    if (length > kInline) {
        char* heap = new char[length + 1];
        std::memcpy(heap, text, length);
        heap[length] = '\0';
        Release();
        mLength = length;
        mHeap = heap;
        return;
    }
    char copy[kInline + 1] = {};
    if (length > 0) {
        std::memcpy(copy, text, length);
    }
    Release();
    mLength = length;
    std::memcpy(mInline, copy, sizeof copy);
}

void tqString::Release() {
    if (!IsInline()) {
        delete[] mHeap;
    }
    mLength = 0;
    mInline[0] = '\0';
}

int tqString::CompareTo(const tqString& other) const {
    // memcmp compares as unsigned bytes; the shorter text wins a tie of the common part.
    int d = std::memcmp(GetText(), other.GetText(), std::min(mLength, other.mLength));
    if (d != 0) {
        return d;
    }
    return mLength < other.mLength ? -1 : mLength > other.mLength ? 1 : 0;
}
