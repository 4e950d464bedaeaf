// Text-mode files as the desktop platform knows them: reading drops every CR byte and ends
// at a 0x1A byte; writing turns every LF into CR LF and replaces the target file only once
// everything was written.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace textfile {

constexpr char kEndOfFile = 0x1A;

// Told how far a read has come: `read` bytes of the file's `size`, every
// kReadProgressBytes.
using ReadProgress = std::function<void(uint64_t read, uint64_t size)>;
constexpr uint64_t kReadProgressBytes = uint64_t{8} << 20;

// Reads the whole file at `path` in text mode into `content`. False when the file cannot
// be opened or read; `content` is then empty.
bool ReadTextFile(const std::string& path, std::string& content, const ReadProgress& progress = {});

// Appends `size` bytes of a file to `text` as a text-mode read gives them: without their CR
// bytes, and only those before a 0x1A byte. False when a 0x1A byte ended the text.
bool AppendText(const char* bytes, size_t size, std::string& text);

// A regular file read at any offset, by several threads at once.
class FileAtOffsets {
public:
    FileAtOffsets() = default;
    FileAtOffsets(const FileAtOffsets&) = delete;
    FileAtOffsets& operator=(const FileAtOffsets&) = delete;
    ~FileAtOffsets() { Close(); }

    // False, with errno, when `path` cannot be opened or is no regular file; a file that
    // is none (a FIFO, a device) is not opened at all.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return mFd >= 0; }
    // The file's size when it was opened.
    uint64_t Size() const { return mSize; }
    // Hands the file's bytes from `begin` on to `take` in order, a stretch of at most
    // `stretch` bytes at a time with the offset of its first byte, until `take` returns false,
    // `end` is reached or the file ends (wherever it ends by then: an `end` beyond it reads
    // to the end). A stretch is valid during its call only. False, with errno, when a read
    // fails.
    using StretchTaker = std::function<bool(uint64_t at, std::string_view bytes)>;
    bool ReadStretches(uint64_t begin, uint64_t end, size_t stretch,
                       const StretchTaker& take) const;

private:
    // Reads up to `size` bytes from `offset` into `buffer`: the number read, fewer only at the
    // file's end, or -1 with errno (EIO for a failure a test injected).
    int64_t ReadAt(char* buffer, size_t size, uint64_t offset) const;

    int mFd = -1;
    uint64_t mSize = 0;
};

// The file a path names in the end: symbolic links followed, also a link to a file that
// is not there yet. A path without links comes back as it is.
std::string FinalPath(const std::string& path);

// Writes a new version of a file. The text goes to a new, unnamed file in the target's
// folder, which Commit names and renames over the target after syncing it; until then, and
// for ever after a failure or Discard, the target keeps its old content, and a process
// killed on the way leaves no file behind. A symbolic link is followed: the file it names
// is replaced, the link stays. A target that exists and is not a regular file (a pipe, a
// device), or that is the file behind standard output or error, is written directly. A
// target the user may not write (read-only to them) is never replaced: Open fails.
// Whenever an operation gives false, errno tells why (EIO for a failure a test injected).
class TextFileWriter {
public:
    TextFileWriter() = default;
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;
    // Discards whatever was not committed.
    ~TextFileWriter();

    // Whether Open would write `path` directly rather than replace it with a new file.
    static bool WritesDirectly(const std::string& path);
    // Creates the new file for `path` (or opens a non-regular target). False when it
    // cannot be created.
    bool Open(const std::string& path);
    // Appends `text` with every LF written as CR LF. False once any write has failed.
    bool Write(std::string_view text);
    // Writes out what is pending and replaces the target with the new file. False, with
    // the target untouched and the new file removed, when anything failed.
    bool Commit();
    // Removes the new file; the target stays as it was.
    void Discard();
    bool IsOpen() const { return mFd >= 0; }

private:
    bool Flush();
    bool GiveName();

    int mFd = -1;
    bool mDirect = false;  // writing straight into the target
    bool mFailed = false;
    std::string mTarget;
    std::string mNewPath;
    std::string mPending;
    off_t mFlushed = 0;  // bytes written to the file so far
};

}  // namespace textfile
