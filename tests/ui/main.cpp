// GoogleTest main for the window tests: one QApplication on the offscreen platform (unless the
// environment names another), and message boxes in test mode so that no test ever blocks.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/MessageBox.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    kelvrant::MessageBox::setTestMode(true);
    return RUN_ALL_TESTS();
}
