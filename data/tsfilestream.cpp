#include "data/tsfilestream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeadChunk = size_t{64} << 10;
constexpr size_t kRestChunk = size_t{1} << 20;

}  // namespace

bool TSFileStreamCL::Open(const std::string& path, uint8_t openMode) {
    if (mode != fmClosed) {
        return false;
    }
    if (openMode == fmRead) {
        if (!textfile::ReadTextFile(path, content, mReadProgress)) {
            return false;
        }
        position = 0;
    } else if (openMode == fmWrite) {
        if (!mWriter.Open(path)) {
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
    if (!file.Open(path)) {
        return Open(path, fmRead);  // a pipe or the like, or the reason the file cannot be read
    }
    content.clear();
    position = 0;
    std::vector<char> chunk(kHeadChunk);
    bool ended = false;  // by a 0x1A byte, or by the file having got shorter
    for (rest = 0; !ended;) {
        const int64_t got = file.ReadAt(rest, chunk.data(), chunk.size());
        if (got < 0) {
            file.Close();
            content.clear();
            return false;
        }
        const auto size = static_cast<size_t>(got);
        const void* lineEnd = std::memchr(chunk.data(), '\n', size);
        const size_t taken =
            lineEnd != nullptr
                ? static_cast<size_t>(static_cast<const char*>(lineEnd) - chunk.data()) + 1
                : size;
        ended = got == 0 || !textfile::AppendText(chunk.data(), taken, content);
        rest += taken;
        if (lineEnd != nullptr) {
            break;
        }
    }
    if (ended) {
        file.Close();  // the whole text is in `content`
    }
    mode = fmRead;
    return true;
}

bool TSFileStreamCL::ReadRest() {
    if (mode != fmRead) {
        return false;
    }
    std::vector<char> chunk(kRestChunk);
    uint64_t told = rest;
    for (bool more = file.IsOpen(); more;) {
        const int64_t got = file.ReadAt(rest, chunk.data(), chunk.size());
        if (got < 0) {
            Close();
            return false;
        }
        more = got > 0 && textfile::AppendText(chunk.data(), static_cast<size_t>(got), content);
        rest += static_cast<uint64_t>(got);
        if (mReadProgress && rest - told >= textfile::kReadProgressBytes) {
            told = rest;
            mReadProgress(rest, std::max(rest, file.Size()));
        }
    }
    file.Close();
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
    position = end + 1;
    return true;
}

bool TSFileStreamCL::WriteText(std::string_view text) {
    return mode == fmWrite && mWriter.Write(text);
}

bool TSFileStreamCL::Close() {
    bool closed = false;
    if (mode == fmRead) {
        file.Close();
        content.clear();
        content.shrink_to_fit();
        position = 0;
        closed = true;
    } else if (mode == fmWrite) {
        closed = mWriter.Commit();
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
