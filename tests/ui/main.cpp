// GoogleTest main for the window tests: one QApplication on the offscreen platform (unless the
// environment names another), message boxes in test mode so that no test ever blocks, and the
// user's file history kept in a scratch file instead of the real one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

#include "ui/MessageBox.h"
#include "ui/UserSettings.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    kelvrant::MessageBox::setTestMode(true);
    QTemporaryDir history;
    kelvrant::UserSettings::SetFilePath(history.filePath("kelvrant-user.conf"));
    return RUN_ALL_TESTS();
}
