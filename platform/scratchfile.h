// A private scratch file in the temporary directory, removed again when it goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scratchfile {

// The temporary directory ($TMPDIR, else /tmp), ending with '/'.
std::string TempDirectory();

class ScratchFile {
public:
    ScratchFile() = default;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    // Creates "<temp dir>/%08X.TMP" readable by its owner only, under a random number (a
    // new one while a name is taken), and removes the name at once: the file lives only
    // as long as this object, whatever happens to the process. False when no file could be
    // created.
    bool Create();
    bool IsOpen() const { return mFd >= 0; }
    // The name the file had when it was made.
    const std::string& Path() const { return mPath; }

    // Positioned I/O. ReadAt gives the number of bytes read (short at the end of the
    // file) or -1; WriteAt gives false unless every byte was written.
    long ReadAt(void* destination, size_t size, uint64_t offset) const;
    bool WriteAt(const void* source, size_t size, uint64_t offset) const;

private:
    int mFd = -1;
    std::string mPath;
};

}  // namespace scratchfile
