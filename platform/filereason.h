// What failed on a file and why, and the short Japanese words that messages end with
// ("(書込みの権限がありません)"); one text per cause for both programs.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>

// A failed file operation: what was being done, and the errno value it failed with.
// Reading with error 0 means the file holds nothing to read.
struct FileFailure {
    enum Doing : uint8_t { fdNothing, fdReading, fdWriting };

    Doing doing = fdNothing;
    int error = 0;

    // The failure of what is being done, with errno as the last call left it.
    static FileFailure Now(Doing doing) { return {doing, errno}; }
    // An empty file where text was expected.
    static FileFailure Empty() { return {fdReading, 0}; }
    // A file that ended before text it had when the reading began.
    static FileFailure CutShort() { return {fdReading, ENODATA}; }
    // Whether anything failed.
    explicit operator bool() const { return doing != fdNothing; }
    // A file that is not there (or a folder on its way that is not).
    bool Missing() const { return doing == fdReading && (error == ENOENT || error == ENOTDIR); }
};

// Why the operation failed: "フォルダです", "空のファイルです", the permission the user lacks for
// what was being done ...; empty when nothing failed.
std::string FileFailureReason(const FileFailure& failure);

// "(reason)", or nothing for an empty reason: what follows a failure message.
std::string ReasonSuffix(const std::string& reason);
