#include "ui/MessageBox.h"

#include <gtest/gtest.h>

namespace kelvrant {
namespace {

class message_box : public ::testing::Test {
  protected:
    void SetUp() override { MessageBox::reset(); }
    void TearDown() override { MessageBox::reset(); }
};

TEST_F(message_box, icons_map_to_warning_critical_question) {
    EXPECT_EQ(MessageBox::qtIcon(MessageIcon::kExclamation), QMessageBox::Warning);
    EXPECT_EQ(MessageBox::qtIcon(MessageIcon::kStop), QMessageBox::Critical);
    EXPECT_EQ(MessageBox::qtIcon(MessageIcon::kQuestion), QMessageBox::Question);
    EXPECT_EQ(MessageBox::qtIcon(MessageIcon::kNone), QMessageBox::NoIcon);
}

TEST_F(message_box, records_title_text_icon_and_buttons) {
    EXPECT_EQ(MessageBox::stop(nullptr, "ERROR: T", "line\nline"), QMessageBox::Ok);
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    const MessageBox::Record& r = MessageBox::shown()[0];
    EXPECT_EQ(r.icon, MessageIcon::kStop);
    EXPECT_EQ(r.title, "ERROR: T");
    EXPECT_EQ(r.text, "line\nline");
    EXPECT_EQ(r.buttons, MessageBox::Buttons(QMessageBox::Ok));
    EXPECT_EQ(r.answer, QMessageBox::Ok);
}

TEST_F(message_box, queued_answers_come_in_order_then_the_default) {
    MessageBox::setNextAnswer(QMessageBox::No);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    EXPECT_EQ(MessageBox::question(nullptr, "Q", "1"), QMessageBox::No);
    EXPECT_EQ(MessageBox::question(nullptr, "Q", "2"), QMessageBox::Yes);
    // Without a queued answer: the default button, else Ok or Yes, else the lowest button.
    EXPECT_EQ(MessageBox::question(nullptr, "Q", "3", QMessageBox::Yes | QMessageBox::No,
                                   QMessageBox::No),
              QMessageBox::No);
    EXPECT_EQ(MessageBox::question(nullptr, "Q", "4"), QMessageBox::Yes);
    EXPECT_EQ(MessageBox::exclamation(nullptr, "E", "5", QMessageBox::Retry | QMessageBox::Abort),
              QMessageBox::Abort);
    EXPECT_EQ(MessageBox::shown().size(), 5u);
}

}  // namespace
}  // namespace kelvrant
