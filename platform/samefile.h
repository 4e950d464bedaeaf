// Whether writing one file would replace another: what keeps an output off an input.
#pragma once

#include <string>

// Whether writing `output` would replace the file `other` names. Existing files are the
// same when they are one regular file (device and inode: links and other paths to it
// included); a terminal or a pipe named twice is no loss. When neither is there yet, the
// same name in the same folder (device and inode: a folder reached by two paths too) once
// symbolic links, dangling ones too, are followed.
bool SameFile(const std::string& output, const std::string& other);
