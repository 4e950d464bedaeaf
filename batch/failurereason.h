// Why a file or a database could not be used, in the words the batch tool's messages end
// with ("(書込みの権限がありません)").
#pragma once

#include <string>

// The reason behind an errno value; empty for 0.
std::string FileFailureReason(int error);

// The reason behind an SQLite primary result code (SQLITE_BUSY ...).
std::string DatabaseFailureReason(int code);
