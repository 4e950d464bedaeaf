// The programs' allocation functions: the standard ones, but a block of several megabytes
// (the map's text, the network's arrays) is offered to the kernel for huge pages before it
// is first touched. Loading a large map otherwise spends a third of its time in page faults.
// Linked into the programs, not into the libraries: a library must not replace them.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargeBlock = std::size_t{16} << 20;  // smaller ones are often touched sparsely
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// Lets the kernel back the whole huge pages inside the block with huge pages when they are
// first touched; where it declines, nothing changes.
void AdviseHugePages(void* block, std::size_t size) {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (address + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (address + size) & ~(kHugePage - 1);
    if (end > first) {
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    if (size >= kLargeBlock) {
        AdviseHugePages(block, size);
    }
    return block;
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }
