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

// Writes `value` to `key`. On failure shows the error box (owned by `owner`) and gives
// false: the command that wrote it ends there.
bool Write(void* owner, const char* key, const std::string& value);

}  // namespace settings
