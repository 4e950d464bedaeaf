#include "batch/terminalprogress.h"

#include <cstdio>

void TerminalProgress::Begin() {
    mShown = -1;
    SetPosition(0);
}

void TerminalProgress::SetPosition(int percent) {
    if (percent == mShown) {
        return;
    }
    mShown = percent;
    std::fprintf(mTo, "\r進捗状況 %3d%%", percent);
    std::fflush(mTo);
}

void TerminalProgress::End() {
    mShown = -1;
    std::fputs("\r\033[K", mTo);
    std::fflush(mTo);
}
