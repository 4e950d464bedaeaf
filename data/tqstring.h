// tqString: an owned, NUL-terminated byte string in code page 932.
#pragma once

#include <cstddef>
#include <memory>

// Holds no allocation for the empty text: a text of length 0 is stored as null, and every
// reader sees an empty text instead. Copies are deep. Texts compare byte by byte as
// unsigned values, with no folding of any kind.
class tqString {
public:
    tqString() = default;
    tqString(const char* text);  // NOLINT(google-explicit-constructor): a text is a tqString
    tqString(const char* text, size_t length);
    tqString(const tqString& other);
    tqString& operator=(const tqString& other);
    tqString(tqString&& other) noexcept = default;
    tqString& operator=(tqString&& other) noexcept = default;
    ~tqString() = default;

    // Replaces the text with a copy of `text` (null or "" leave the string empty).
    void SetText(const char* text);
    // The text, valid until the string is changed or destroyed; never null.
    const char* GetText() const { return mText ? mText.get() : ""; }
    size_t Length() const { return mLength; }
    bool IsEmpty() const { return mLength == 0; }

    // Byte-wise comparison: negative, 0 or positive as this text sorts before, with or
    // after `other`; a text sorts before every longer text that begins with it.
    int CompareTo(const tqString& other) const;
    bool operator==(const tqString& other) const { return CompareTo(other) == 0; }
    bool operator>(const tqString& other) const { return CompareTo(other) > 0; }
    bool operator<(const tqString& other) const { return CompareTo(other) < 0; }

private:
    void Assign(const char* text, size_t length);

    std::unique_ptr<char[]> mText;
    size_t mLength = 0;
};
