// The settings file of the windows: two remembered directories.
#pragma once

#include <string>

namespace settings {

inline const char* kFile = "QRLX.INI";
inline const char* kSection = "QRLX_SEC";
inline const char* kReadDirKey = "DATA_READ_DIR";
inline const char* kWriteDirKey = "DATA_WRTE_DIR";

// The value of `key`, empty when missing.
std::string Read(const char* key);

// Writes `value` to `key`; false when the file could not be written. Written off the
// window's thread by the command's job: the file is synced, which takes unbounded time on
// network storage.
bool Write(const char* key, const std::string& value);

// Says in an error box (owned by `owner`) that the file could not be written: the command
// that wrote it ends there.
void ShowWriteFailure(void* owner);

}  // namespace settings
