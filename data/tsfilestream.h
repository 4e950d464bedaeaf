// TSFileStreamCL: a text file read whole and served line by line, or written anew.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/textfile.h"

class TSFileStreamCL {
public:
    enum Mode : uint8_t { fmClosed = 0, fmRead = 1, fmWrite = 2 };

    uint8_t mode = fmClosed;
    std::string content;  // the whole file in text mode (fmRead), or what is read of it
    size_t position = 0;  // next byte to hand out
    // After OpenFirstLine: the file, open while lines of it are not in `content`, and the
    // offset of its first such byte.
    textfile::FileAtOffsets file;
    uint64_t rest = 0;

    TSFileStreamCL() = default;
    TSFileStreamCL(const TSFileStreamCL&) = delete;
    TSFileStreamCL& operator=(const TSFileStreamCL&) = delete;
    ~TSFileStreamCL() { Close(); }

    // fmRead reads the whole file at once (CR bytes dropped, content ends at 0x1A).
    // fmWrite starts a new version of the file, which replaces the old one on Close.
    // False when a mode is already set or the file cannot be opened or created.
    bool Open(const std::string& path, uint8_t openMode);

    // fmRead of a regular file's first line only, for readers that take the other lines from
    // `file` themselves, up to its end whatever size it had when opened; a file whose text
    // ends within its first line, or that is no regular file (a pipe), is read whole and
    // `file` is closed. False as Open.
    bool OpenFirstLine(const std::string& path);
    // Reads the rest of a file opened by OpenFirstLine into `content`, which then holds the
    // whole text, and closes `file`. False when the file cannot be read.
    bool ReadRest();

    // The next line without its LF, valid until Close. False in another mode or at the
    // end of the content.
    bool ReadLine(std::string_view& line);

    // Writes `text` as it is; every LF reaches the file as CR LF. False in another mode or
    // once a write has failed.
    bool WriteText(std::string_view text);

    // Ends reading, or puts the written file in place (false, with the old file kept,
    // when anything failed). False when nothing was open.
    bool Close();

    // Ends writing without touching the target file.
    void Discard();
    // Told how far the reading of an fmRead Open has come (see textfile::ReadTextFile).
    void SetReadProgress(textfile::ReadProgress hook) { mReadProgress = std::move(hook); }

private:
    textfile::TextFileWriter mWriter;
    textfile::ReadProgress mReadProgress;
};
