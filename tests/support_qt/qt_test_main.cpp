// The main of every widget test executable: one QApplication for the whole run, on the
// platform the executable was built for (QF_TEST_QPA_PLATFORM: "offscreen" for the widget
// tests, "xcb" for the few that need a real X server). Listing the tests creates no
// application, so discovery needs no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#ifndef QF_TEST_QPA_PLATFORM
#define QF_TEST_QPA_PLATFORM "offscreen"
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--gtest_list_tests") == 0) {
            return RUN_ALL_TESTS();
        }
    }
    // The widget tests never open a window on the developer's desktop, whatever the
    // environment says; the scale factor (QT_SCALE_FACTOR) is left to the environment.
    qputenv("QT_QPA_PLATFORM", QF_TEST_QPA_PLATFORM);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
