// Failures of file operations on demand, for tests of every write path. Nothing fails
// unless a test arms it; the file layer asks before each operation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace iofault {

enum Operation { opCreate, opWrite, opRead, opSync, opRename, kOperationCount };

// From now on every `operation` fails.
void Fail(Operation operation);
// Writes succeed for `bytes` more bytes in all; every write after that fails.
void FailWritesAfter(int64_t bytes);
// Nothing fails any more.
void Reset();

// Whether the file layer may go on with `operation` (of `bytes` bytes, for writes); false
// sets errno to EIO.
bool Allows(Operation operation, size_t bytes = 0);

}  // namespace iofault
