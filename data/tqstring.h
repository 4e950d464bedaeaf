// tqString: an owned, NUL-terminated byte string in code page 932.
#pragma once

#include <cstddef>

// Texts of up to kInline bytes live inside the object, longer ones in one allocation: most
// node and search names are short, and a million routes must not cost a million small
// allocations per name. Copies are deep. Texts compare byte by byte as unsigned values,
// with no folding of any kind.
class tqString {
public:
    tqString() = default;
    tqString(const char* text);  // NOLINT(google-explicit-constructor): a text is a tqString
    tqString(const char* text, size_t length);
    tqString(const tqString& other);
    tqString& operator=(const tqString& other);
    tqString(tqString&& other) noexcept;
    tqString& operator=(tqString&& other) noexcept;
    ~tqString() { Release(); }

    // Replaces the text with a copy of `text` (null or "" leave the string empty).
    void SetText(const char* text);
    // The text, valid until the string is changed, moved or destroyed; never null.
    const char* GetText() const { return IsInline() ? mInline : mHeap; }
    size_t Length() const { return mLength; }
    bool IsEmpty() const { return mLength == 0; }

    // Byte-wise comparison: negative, 0 or positive as this text sorts before, with or
    // after `other`; a text sorts before every longer text that begins with it.
    int CompareTo(const tqString& other) const;
    bool operator==(const tqString& other) const { return CompareTo(other) == 0; }
    bool operator>(const tqString& other) const { return CompareTo(other) > 0; }
    bool operator<(const tqString& other) const { return CompareTo(other) < 0; }

private:
    static constexpr size_t kInline = 15;

    bool IsInline() const { return mLength <= kInline; }
    void Assign(const char* text, size_t length);
    // Frees a long text; the string is then empty.
    void Release();

    size_t mLength = 0;
    union {
        char* mHeap;                     // a longer text with its NUL
        char mInline[kInline + 1] = {};  // a short text with its NUL
    };
};
