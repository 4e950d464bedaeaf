// Runs the window tests inside an application object, headless unless told otherwise.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt/desktop.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    PrepareDesktop();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
