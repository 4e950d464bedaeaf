#include "batch/terminalprogress.h"

#include <cstdio>

void TerminalProgress::Begin() { SetPosition(0); }

void TerminalProgress::SetPosition(int percent) {
    std::fprintf(stderr, "\r進捗状況 %3d%%", percent);
    std::fflush(stderr);
}

void TerminalProgress::End() {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}
