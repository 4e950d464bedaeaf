#include "data/tsfilestream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kHeadStretch = size_t{64} << 10;
constexpr size_t kRestStretch = size_t{1} << 20;

}  // namespace

bool TSFileStreamCL::Open(const std::string& path, uint8_t openMode) {
    if (mode != fmClosed) {
        return false;
    }
    mFailure = {};
    if (openMode == fmRead) {
        if (!textfile::ReadTextFile(path, content, mReadProgress)) {
            mFailure = FileFailure::Now(FileFailure::fdReading);
            return false;
        }
        position = 0;
    } else if (openMode == fmWrite) {
        mWritten = false;
        if (!mWriter.Open(path)) {
            mFailure = FileFailure::Now(FileFailure::fdWriting);
            return false;
        }
    } else {
        return false;
    }
    mode = openMode;
    return true;
}

bool TSFileStreamCL::OpenFirstLine(const std::string& path) {
    if (mode != fmClosed) {
        return false;
    }
    if (!mFile.Open(path)) {
        return Open(path, fmRead);  // a pipe or the like, or the reason the file cannot be read
    }
    mFailure = {};
    content.clear();
    position = 0;
    mRest = 0;
    bool lineEnded = false;  // by an LF: the rest of the text is still in the file
    bool textEnded = false;  // by a 0x1A byte
    auto take = [&](uint64_t, std::string_view bytes) {
        const size_t lineEnd = bytes.find('\n');
        lineEnded = lineEnd != std::string_view::npos;
        const size_t taken = lineEnded ? lineEnd + 1 : bytes.size();
        textEnded = !textfile::AppendText(bytes.data(), taken, content);
        mRest += taken;
        return !lineEnded && !textEnded;
    };
    if (!mFile.ReadStretches(0, UINT64_MAX, kHeadStretch, take)) {
        mFailure = FileFailure::Now(FileFailure::fdReading);
        mFile.Close();
        content.clear();
        return false;
    }
    if (!lineEnded || textEnded) {
        mFile.Close();  // the whole text is in `content`
    }
    mode = fmRead;
    return true;
}

bool TSFileStreamCL::ReadRest() {
    if (mode != fmRead) {
        return false;
    }
    uint64_t told = mRest;
    auto take = [&](uint64_t, std::string_view bytes) {
        mRest += bytes.size();
        if (mReadProgress && mRest - told >= textfile::kReadProgressBytes) {
            told = mRest;
            mReadProgress(mRest, std::max(mRest, mFile.Size()));
        }
        return textfile::AppendText(bytes.data(), bytes.size(), content);
    };
    if (mFile.IsOpen() && !mFile.ReadStretches(mRest, UINT64_MAX, kRestStretch, take)) {
        mFailure = FileFailure::Now(FileFailure::fdReading);
        Close();
        return false;
    }
    mFile.Close();
    return true;
}

bool TSFileStreamCL::ReadLine(std::string_view& line) {
    if (mode != fmRead || position >= content.size()) {
        return false;
    }
    size_t end = content.find('\n', position);
    if (end == std::string::npos) {
        end = content.size();
    }
    line = std::string_view(content).substr(position, end - position);
    position = end < content.size() ? end + 1 : end;  // a last line without LF ends the text
    return true;
}

bool TSFileStreamCL::WriteText(std::string_view text) {
    if (mode != fmWrite) {
        return false;
    }
    if (mFailure) {
        return false;  // once failed, the file is never whole
    }
    if (!WriteEncoded(text)) {
        mFailure = FileFailure::Now(FileFailure::fdWriting);
        return false;
    }
    return true;
}

bool TSFileStreamCL::WriteEncoded(std::string_view text) {
    const bool first = !std::exchange(mWritten, true);
    if (first && mEncoding == codepage::TextEncoding::utf8Bom &&
        !mWriter.Write(codepage::kUtf8Mark)) {
        return false;
    }
    if (mEncoding == codepage::TextEncoding::cp932) {
        return mWriter.Write(text);
    }
    // A byte that is no CP932 character has no UTF-8 form: writing U+FFFD for it would
    // change the text, and could make two names one.
    std::string utf8;
    if (!codepage::Cp932ToUtf8Exact(text, utf8)) {
        errno = EILSEQ;
        return false;
    }
    return mWriter.Write(utf8);
}

bool TSFileStreamCL::Close() {
    bool closed = false;
    if (mode == fmRead) {
        mFile.Close();
        content.clear();
        content.shrink_to_fit();
        position = 0;
        closed = true;
    } else if (mode == fmWrite) {
        closed = !mFailure && mWriter.Commit();
        if (!closed && !mFailure) {
            mFailure = FileFailure::Now(FileFailure::fdWriting);
        }
        if (!closed) {
            mWriter.Discard();
        }
    }
    mode = fmClosed;
    return closed;
}

void TSFileStreamCL::Discard() {
    if (mode == fmWrite) {
        mWriter.Discard();
        mode = fmClosed;
    }
}
