// TSFileStreamCL: a text file read whole and served line by line, or written anew.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/codepage.h"
#include "platform/filereason.h"
#include "platform/textfile.h"

class TSFileStreamCL {
public:
    enum Mode : uint8_t { fmClosed = 0, fmRead = 1, fmWrite = 2 };

    uint8_t mode = fmClosed;
    std::string content;  // the file's text (fmRead), or as much of it as is read
    size_t position = 0;  // next byte to hand out

    TSFileStreamCL() = default;
    TSFileStreamCL(const TSFileStreamCL&) = delete;
    TSFileStreamCL& operator=(const TSFileStreamCL&) = delete;
    // A new version never closed is dropped: the old file stays as it was (a writer left by
    // an exception has written only part of it).
    ~TSFileStreamCL() {
        Discard();
        Close();
    }

    // fmRead reads the whole file at once (CR bytes dropped, content ends at 0x1A).
    // fmWrite starts a new version of the file, which replaces the old one on Close.
    // False when a mode is already set or the file cannot be opened or created; Failure()
    // then says why.
    bool Open(const std::string& path, uint8_t openMode);

    // fmRead of a regular file's first line only: `content` holds that line, and the rest
    // of the text stays in the file (RestInFile) for readers that take it a stretch at a
    // time, up to the file's end whatever size it had when opened. A file whose text ends
    // within its first line, or that is no regular file (a pipe, a FIFO), is read whole.
    // False as Open.
    bool OpenFirstLine(const std::string& path);
    // Whether text of an OpenFirstLine is still in the file: from RestOffset() on in File().
    bool RestInFile() const { return mFile.IsOpen(); }
    const textfile::FileAtOffsets& File() const { return mFile; }
    uint64_t RestOffset() const { return mRest; }
    // Reads the text still in the file into `content`, which then holds the whole text, and
    // closes the file. False, with Failure() saying why, when the file cannot be read.
    bool ReadRest();
    // The text of `content` not yet handed out.
    std::string_view Unread() const { return std::string_view(content).substr(position); }

    // The next line without its LF, valid until Close. False in another mode or at the
    // end of the content.
    bool ReadLine(std::string_view& line);

    // Writes `text` as it is; every LF reaches the file as CR LF. False in another mode or
    // once a write has failed (Failure() then says why).
    bool WriteText(std::string_view text);
    // The encoding of what WriteText writes (CP932 texts of whole characters, converted;
    // with the mark, it goes first). Set before the first WriteText; CP932 by default. In
    // UTF-8, a text with bytes that are no CP932 character is not written: WriteText gives
    // false with errno EILSEQ.
    void SetWriteEncoding(codepage::TextEncoding encoding) { mEncoding = encoding; }

    // Ends reading, or puts the written file in place (false, with the old file kept and
    // Failure() saying why, when anything failed). False when nothing was open.
    bool Close();

    // Ends writing without touching the target file.
    void Discard();
    // Told how far the reading of an fmRead Open or of ReadRest has come (see
    // textfile::ReadTextFile).
    void SetReadProgress(textfile::ReadProgress hook) { mReadProgress = std::move(hook); }
    // Why the last Open, OpenFirstLine or ReadRest failed, or the writing since Open (taken
    // where it failed, before any later call could change errno).
    const FileFailure& Failure() const { return mFailure; }

private:
    bool WriteEncoded(std::string_view text);

    textfile::TextFileWriter mWriter;
    codepage::TextEncoding mEncoding = codepage::TextEncoding::cp932;
    bool mWritten = false;  // since Open
    textfile::ReadProgress mReadProgress;
    textfile::FileAtOffsets mFile;  // after OpenFirstLine: open while text is left in it
    uint64_t mRest = 0;             // the offset of the first byte not in `content`
    FileFailure mFailure;
};
