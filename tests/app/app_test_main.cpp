// The main of the window's tests: one QApplication for the whole executable,
// offscreen unless a platform is chosen. Death tests re-run the executable
// (threadsafe style), so each child builds its own application.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/qt/qt_toolkit.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QApplication app(argc, argv);
    QApplication::setApplicationName(morvane::QtToolkit::kApplicationTitle);
    return RUN_ALL_TESTS();
}
