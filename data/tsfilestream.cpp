#include "data/tsfilestream.h"

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
