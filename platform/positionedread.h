// Reading a file at an offset, the whole request or up to the file's end.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads up to `size` bytes of the open file `fd` from `offset` into `destination`, going on
// after interruptions and short reads: the number read, fewer only at the file's end, or -1
// with errno (EIO for a failure a test injected).
int64_t ReadAtOffset(int fd, void* destination, size_t size, uint64_t offset);
