// Why a file could not be read or written, in the short Japanese words that messages end
// with ("(書込みの権限がありません)"); one text per cause for both programs.
#pragma once

#include <string>

// The reason behind an errno value of a failed write; empty for 0.
std::string FileFailureReason(int error);

// Why the file at `path` could not be read: empty when it does not exist (the caller's own
// "does not exist" text says it), else a folder, no permission, or empty.
std::string ReadFailureReason(const std::string& path);

// "(reason)", or nothing for an empty reason: what follows a failure message.
std::string ReasonSuffix(const std::string& reason);
