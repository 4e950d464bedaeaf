// Why a database could not be used, in the words the batch tool's messages end with
// ("(他のプログラムが使用中です)"); the reasons of files are in platform/filereason.h.
#pragma once

#include <string>

// The reason behind an SQLite primary result code (SQLITE_BUSY ...).
std::string DatabaseFailureReason(int code);
