// The main of test executables that need a Qt application object: a QApplication for GUI
// tests, a QCoreApplication for the rest. It lives for the whole run, as in a program.

#include <gtest/gtest.h>

#ifdef SUITE_TEST_GUI
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    Application application(argc, argv);
    return RUN_ALL_TESTS();
}
