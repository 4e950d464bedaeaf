// Prefetch: asks for the cache line of an address that will be read soon.
#pragma once

// GCC removes a __builtin_prefetch whose address it computes from other loads inside a
// loop as dead code (GCC 12); an instruction of our own is kept.
inline void PrefetchLine(const void* address) {
#if defined(__x86_64__) || defined(__i386__)
    asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#else
    __builtin_prefetch(address);
#endif
}
