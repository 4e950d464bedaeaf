// Runs the real windows on a private X server with a window manager.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/qt/desktop.h"
#include "xsession.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests)) {
        return RUN_ALL_TESTS();
    }
    XSession session;
    if (!session.Ready()) {
        std::fputs("cannot start Xvfb with openbox\n", stderr);
        return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The locale of a fresh machine, which is not Japanese.
    ::setenv("LANG", "C.UTF-8", 1);
    ::unsetenv("LC_ALL");
    QApplication application(argc, argv);
    PrepareDesktop();
    return RUN_ALL_TESTS();
}
