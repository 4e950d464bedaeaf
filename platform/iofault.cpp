#include "platform/iofault.h"

#include <atomic>
#include <cerrno>

namespace iofault {
namespace {

std::atomic<bool> gFailing[kOperationCount];
std::atomic<int64_t> gWriteBudget{-1};  // -1: no limit

}  // namespace

void Fail(Operation operation) { gFailing[operation] = true; }

void FailWritesAfter(int64_t bytes) { gWriteBudget = bytes; }

void Reset() {
    for (std::atomic<bool>& failing : gFailing) {
        failing = false;
    }
    gWriteBudget = -1;
}

bool Allows(Operation operation, size_t bytes) {
    if (gFailing[operation]) {
        errno = EIO;
        return false;
    }
    if (operation == opWrite && gWriteBudget >= 0) {
        if (static_cast<int64_t>(bytes) > gWriteBudget) {
            gWriteBudget = 0;
            errno = EIO;
            return false;
        }
        gWriteBudget -= static_cast<int64_t>(bytes);
    }
    return true;
}

}  // namespace iofault
