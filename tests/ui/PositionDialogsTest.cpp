#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "forms/PositionTextRecognizer.h"
#include "geo/Geodetic.h"
#include "ui/MessageBox.h"
#include "ui/PositionClipboard.h"
#include "ui/PositionFields.h"
#include "ui/SensorPositionDialog.h"
#include "ui/SitePositionDialog.h"

namespace kelvrant {
namespace {

// ---- the field helpers, without widgets ----

TEST(position_fields, zero_position_opens_on_the_equator_at_greenwich) {
    const GeoPosition p = LoadPosition(0.0, 0.0, 0.0);
    EXPECT_EQ(p.latitude, 0.0);
    EXPECT_EQ(p.eastLongitude, 0.0);
    EXPECT_EQ(p.height, 0.0);
    const PositionTexts t = FormatPosition(p);
    EXPECT_EQ(t.x, "6378137.0000");
    EXPECT_EQ(t.y, "0.0000");
    EXPECT_EQ(t.z, "0.0000");
    EXPECT_EQ(t.latDecimal, "  0.0000000000");
    // Greenwich is West 0 as much as East 0.
    EXPECT_EQ(t.westDecimal, "  0.0000000000");
    // Just above the threshold the position is taken as X, Y, Z.
    const GeoPosition q = LoadPosition(2e-9, 0.0, 0.0);
    EXPECT_EQ(q.x, 2e-9);
}

TEST(position_fields, formats_like_printf_in_the_c_locale) {
    EXPECT_EQ(FormatFixed(284.5, 10, 14), "284.5000000000");
    EXPECT_EQ(FormatFixed(-12.25, 10, 14), "-12.2500000000");
    EXPECT_EQ(FormatFixed(420.0, 3), "420.000");
    EXPECT_EQ(FormatFixed(-2700000.12346, 4), "-2700000.1235");
}

TEST(position_fields, scans_like_scanf_but_refuses_non_finite) {
    EXPECT_EQ(ScanReal("  45.5xyz"), 45.5);
    EXPECT_EQ(ScanReal("-.5"), -0.5);
    EXPECT_EQ(ScanReal("+1E2"), 100.0);
    EXPECT_FALSE(ScanReal("").has_value());
    EXPECT_FALSE(ScanReal("abc").has_value());
    EXPECT_FALSE(ScanReal("-").has_value());
    EXPECT_FALSE(ScanReal("nan").has_value());
    EXPECT_FALSE(ScanReal("inf").has_value());
    EXPECT_FALSE(ScanReal("1e999").has_value());
    EXPECT_EQ(ScanInt(" 45.9"), 45);
    EXPECT_EQ(ScanInt("-0"), 0);
    EXPECT_FALSE(ScanInt("x1").has_value());
    EXPECT_FALSE(ScanInt("99999999999").has_value());
}

TEST(position_fields, dms_of_a_small_southern_angle_keeps_its_sign) {
    const DmsTexts t = FormatDms(-0.5);
    EXPECT_EQ(t.degrees, "-0");
    EXPECT_EQ(t.minutes, "30");
    EXPECT_EQ(t.seconds, "0.000000");
    const DmsEntry back = ReadDms(t.degrees, t.minutes, t.seconds, 90);
    ASSERT_EQ(back.error, DmsError::kNone);
    EXPECT_EQ(back.value, -0.5);
    EXPECT_EQ(ReadDms("0", "30", "0", 90).value, 0.5);
    EXPECT_EQ(FormatDms(-12.5).degrees, "-12");
    EXPECT_EQ(FormatDms(0.0).degrees, "0");
}

TEST(position_fields, dms_seconds_never_show_sixty) {
    // 10 deg 59 min 59.9999999 s rounds to 60 seconds in six decimals: carried instead.
    const DmsTexts t = FormatDms(10.0 + 59.0 / 60.0 + 59.9999999 / 3600.0);
    EXPECT_EQ(t.degrees, "11");
    EXPECT_EQ(t.minutes, "0");
    EXPECT_EQ(t.seconds, "0.000000");
    EXPECT_EQ(ReadDms(t.degrees, t.minutes, t.seconds, 90).error, DmsError::kNone);
}

TEST(position_fields, dms_entries_accepted_and_refused) {
    EXPECT_EQ(ReadDms("45", "60", "0", 90).error, DmsError::kMinutes);
    EXPECT_EQ(ReadDms("45", "-1", "0", 90).error, DmsError::kMinutes);
    EXPECT_EQ(ReadDms("45", "59", "59.9999", 90).error, DmsError::kNone);
    EXPECT_EQ(ReadDms("45", "0", "60", 90).error, DmsError::kSeconds);
    EXPECT_EQ(ReadDms("91", "0", "0", 90).error, DmsError::kDegrees);
    EXPECT_EQ(ReadDms("90", "0", "0", 90).error, DmsError::kNone);
    EXPECT_EQ(ReadDms("90", "0", "0.5", 90).error, DmsError::kCombined);
    EXPECT_EQ(ReadDms("-360", "0", "0", 360).value, -360.0);
    EXPECT_EQ(ReadDms("359", "60", "0", 360).error, DmsError::kMinutes);
}

// ---- the dialogs ----

// Records what was written to the clipboard, or refuses every write.
class FakeClipboard final : public ClipboardPort {
  public:
    std::optional<std::string> ReadText() override { return text; }
    bool WriteText(const std::string& t) override {
        if (!writable) return false;
        text = t;
        return true;
    }
    std::optional<std::string> text;
    bool writable = true;
};

class position_dialogs : public ::testing::Test {
  protected:
    void SetUp() override { MessageBox::reset(); }
    void TearDown() override {
        SetClipboardPort(nullptr);
        MessageBox::reset();
    }

    template <class T>
    static T* Find(QWidget* parent, const char* name) {
        T* child = parent->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    static void ShowActive(QWidget* dialog) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    }

    // Types text into an edit and moves the focus to another widget.
    static void Enter(QWidget* dialog, const char* edit, const QString& text,
                      const char* next = "OKBtn") {
        auto* e = Find<QLineEdit>(dialog, edit);
        e->setFocus();
        e->setText(text);
        Find<QWidget>(dialog, next)->setFocus();
    }

    // Types degrees, minutes and seconds of one angle and leaves them from the degrees.
    static void EnterDms(QWidget* dialog, const QString& prefix, const QString& d, const QString& m,
                         const QString& s) {
        auto* deg = dialog->findChild<QLineEdit*>(prefix + "Deg");
        auto* min = dialog->findChild<QLineEdit*>(prefix + "Min");
        auto* sec = dialog->findChild<QLineEdit*>(prefix + "Sec");
        ASSERT_TRUE(deg != nullptr && min != nullptr && sec != nullptr);
        // Entering the group from elsewhere may refresh every field: enter it first.
        QWidget* focus = QApplication::focusWidget();
        if (focus != deg && focus != min && focus != sec) deg->setFocus();
        deg->setText(d);
        min->setText(m);
        sec->setText(s);
        Find<QWidget>(dialog, "OKBtn")->setFocus();
    }

    static void ExpectOneError(const QString& text) {
        ASSERT_EQ(MessageBox::shown().size(), 1u)
            << (MessageBox::shown().empty() ? "" : MessageBox::shown().back().text.toStdString());
        const MessageBox::Record& r = MessageBox::shown()[0];
        EXPECT_EQ(r.icon, MessageIcon::kStop);
        EXPECT_EQ(r.title, "ERROR: Illegal Data Entry");
        EXPECT_EQ(r.text, text);
        EXPECT_EQ(r.buttons, MessageBox::Buttons(QMessageBox::Ok));
        MessageBox::clearShown();
    }

    static QString TextOf(QWidget* dialog, const char* edit) {
        return Find<QLineEdit>(dialog, edit)->text();
    }
};

TEST_F(position_dialogs, components_carry_their_names_hints_and_limits) {
    SitePositionDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "RINEX Site Position");
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dialog.font().bold());
    EXPECT_EQ(Find<QGroupBox>(&dialog, "PositionGroupBox")->title(), " Approximate Position ");
    struct Expect {
        const char* name;
        const char* hint;
        int maxLength;
    };
    for (const Expect& e : {Expect{"RefNLatDecDeg", "(degrees) WGS-84 North Latitude", 15},
                            Expect{"RefNLatDeg", "(degrees) WGS-84 North Latitude", 3},
                            Expect{"RefNLatMin", "(minutes) WGS-84 North Latitude", 4},
                            Expect{"RefNLatSec", "(seconds) WGS-84 North Latitude", 11},
                            Expect{"RefELonDeg", "(degrees) WGS-84 East Longitude", 4},
                            Expect{"RefWLonSec", "(seconds) WGS-84 West Longitude", 11},
                            Expect{"RefWLonDecDeg", "(degrees) WGS-84 West Longitude", 15},
                            Expect{"ElipHtEdit", "(meters) WGS-84 Ellipsoidal Height", 32767},
                            Expect{"RefPosZEdit", "(meters) WGS-84 ", 16}}) {
        auto* edit = Find<QLineEdit>(&dialog, e.name);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->toolTip(), e.hint) << e.name;
        EXPECT_EQ(edit->maxLength(), e.maxLength) << e.name;
    }
    auto* box = Find<QCheckBox>(&dialog, "BFilePosCheckBox");
    EXPECT_EQ(box->text(), "Get Position from B-File Data");
    EXPECT_EQ(box->toolTip(), "Check to obtain approximate position from B-file Data");
    EXPECT_EQ(Find<QPushButton>(&dialog, "OKBtn")->text(), "OK");
    EXPECT_EQ(Find<QLabel>(&dialog, "RefWLonLabel")->text(), "West Longitude:");
    EXPECT_EQ(Find<QLabel>(&dialog, "RefPosYLabel")->text(), "ECEF - Y");
    EXPECT_EQ(Find<QAction>(&dialog, "SpecialPasteMenuItem")->text(),
              "Special Paste (Full Position)");
    EXPECT_EQ(Find<QAction>(&dialog, "SpecialCopyFullPosition")->text(),
              "Special Copy (Full Position)");
    EXPECT_NE(Find<QMenu>(&dialog, "SpecialPastePopupMenu"), nullptr);
}

TEST_F(position_dialogs, header_position_of_zero_opens_as_equator_greenwich) {
    SitePositionDialog dialog;
    dialog.Setup(SitePosInput{});
    ShowActive(&dialog);
    EXPECT_EQ(TextOf(&dialog, "RefPosXEdit"), "6378137.0000");
    EXPECT_EQ(TextOf(&dialog, "RefPosYEdit"), "0.0000");
    EXPECT_EQ(TextOf(&dialog, "RefPosZEdit"), "0.0000");
    EXPECT_EQ(TextOf(&dialog, "RefNLatDecDeg"), "  0.0000000000");
    EXPECT_EQ(TextOf(&dialog, "ElipHtEdit"), "0.000");
}

TEST_F(position_dialogs, latitude_limits_on_leaving_the_edit) {
    SitePositionDialog dialog;
    dialog.Setup(SitePosInput{});
    ShowActive(&dialog);
    Enter(&dialog, "RefNLatDecDeg", "90");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(dialog.Position().latitude, 90.0);
    EXPECT_NEAR(dialog.Position().z, 6356752.314, 1e-3);
    EXPECT_EQ(TextOf(&dialog, "RefNLatDeg"), "90");
    EXPECT_EQ(TextOf(&dialog, "RefNLatDecDeg"), " 90.0000000000");

    Enter(&dialog, "RefNLatDecDeg", "-90");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(dialog.Position().latitude, -90.0);

    Enter(&dialog, "RefNLatDecDeg", "90.0000001");
    ExpectOneError("Illegal value for decimal degrees of North Latitude.");
    EXPECT_EQ(dialog.Position().latitude, -90.0);
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&dialog, "RefNLatDecDeg"));
    EXPECT_EQ(TextOf(&dialog, "RefNLatDecDeg"), "90.0000001");  // left for correction
    // Leaving it again repeats the message.
    Find<QWidget>(&dialog, "RefPosXEdit")->setFocus();
    ExpectOneError("Illegal value for decimal degrees of North Latitude.");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&dialog, "RefNLatDecDeg"));
    Find<QLineEdit>(&dialog, "RefNLatDecDeg")->setText("-45");

    Enter(&dialog, "RefELonDecDeg", "-360");
    EXPECT_TRUE(MessageBox::shown().empty());
    Enter(&dialog, "RefELonDecDeg", "360.5");
    ExpectOneError("Illegal value for decimal degrees of East Longitude.");
}

TEST_F(position_dialogs, degree_minute_second_entries) {
    SitePositionDialog dialog;
    dialog.Setup(SitePosInput{});
    ShowActive(&dialog);
    EnterDms(&dialog, "RefNLat", "45", "60", "0");
    ExpectOneError("Illegal value for minutes of North Latitude.");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&dialog, "RefNLatMin"));
    EXPECT_EQ(dialog.Position().latitude, 0.0);

    EnterDms(&dialog, "RefNLat", "45", "59", "59.9999");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_NEAR(dialog.Position().latitude, 45.0 + 59.0 / 60.0 + 59.9999 / 3600.0, 1e-12);
    EXPECT_EQ(TextOf(&dialog, "RefNLatSec"), "59.999900");

    EnterDms(&dialog, "RefNLat", "90", "0", "0.5");
    ExpectOneError("Combined value of degrees, minutes and\nseconds of North Latitude too large.");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&dialog, "RefNLatDeg"));
    EXPECT_NEAR(dialog.Position().latitude, 45.0 + 59.0 / 60.0 + 59.9999 / 3600.0, 1e-12);

    EnterDms(&dialog, "RefNLat", "-90", "0", "0");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(dialog.Position().latitude, -90.0);

    EnterDms(&dialog, "RefNLat", "12", "30", "60");
    ExpectOneError("Illegal value for seconds of North Latitude.");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&dialog, "RefNLatSec"));
    Find<QLineEdit>(&dialog, "RefNLatSec")->setText("0");

    EnterDms(&dialog, "RefWLon", "400", "0", "0");
    ExpectOneError("Illegal value for degrees of West Longitude.");
    EXPECT_EQ(dialog.Position().latitude, 12.5);  // the latitude was accepted on the way
    Find<QLineEdit>(&dialog, "RefWLonDeg")->setText("75");
    EnterDms(&dialog, "RefELon", "359", "59", "59.9");
    EXPECT_TRUE(MessageBox::shown().empty());
    EnterDms(&dialog, "RefELon", "360", "0", "0.1");
    ExpectOneError("Combined value of degrees, minutes and\nseconds of East Longitude too large.");
}

TEST_F(position_dialogs, west_longitude_is_stored_as_east) {
    SensorPositionDialog dialog;
    dialog.Setup("Pressure Sensor Position", SensorPosition{});
    ShowActive(&dialog);
    EXPECT_EQ(dialog.windowTitle(), "Pressure Sensor Position");
    Enter(&dialog, "RefWLonDecDeg", "75.5");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(dialog.Position().eastLongitude, 284.5);
    EXPECT_EQ(TextOf(&dialog, "RefELonDecDeg"), "284.5000000000");
    EXPECT_EQ(TextOf(&dialog, "RefWLonDecDeg"), " 75.5000000000");
    EXPECT_EQ(TextOf(&dialog, "RefWLonDeg"), "75");
    EXPECT_EQ(TextOf(&dialog, "RefWLonMin"), "30");

    Enter(&dialog, "RefWLonDeg", "10", "RefWLonMin");
    Enter(&dialog, "RefWLonMin", "15");
    EXPECT_EQ(dialog.Position().eastLongitude, 360.0 - 10.25);
}

TEST_F(position_dialogs, southern_latitude_under_one_degree_keeps_its_sign) {
    SitePositionDialog dialog;
    dialog.Setup(SitePosInput{});
    ShowActive(&dialog);
    Enter(&dialog, "RefNLatDecDeg", "-0.5");
    EXPECT_EQ(TextOf(&dialog, "RefNLatDeg"), "-0");
    EXPECT_EQ(TextOf(&dialog, "RefNLatMin"), "30");
    EXPECT_EQ(TextOf(&dialog, "RefNLatSec"), "0.000000");
    // Passing through the degree/minute/second edits reads the same southern latitude back.
    Enter(&dialog, "RefNLatDeg", "-0", "RefNLatMin");
    Enter(&dialog, "RefNLatMin", "45");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(dialog.Position().latitude, -0.75);
    EXPECT_LT(dialog.Position().z, 0.0);
    EXPECT_EQ(TextOf(&dialog, "RefNLatDecDeg"), " -0.7500000000");
}

TEST_F(position_dialogs, height_and_ecef_entries) {
    SensorPositionDialog dialog;
    dialog.Setup("Humidity Sensor Position", SensorPosition{});
    ShowActive(&dialog);
    Enter(&dialog, "ElipHtEdit", "abc");
    ExpectOneError("Illegal value for Ellipsoidal Height.");
    Enter(&dialog, "ElipHtEdit", "100");
    EXPECT_EQ(TextOf(&dialog, "RefPosXEdit"), "6378237.0000");

    Find<QLineEdit>(&dialog, "RefPosXEdit")->setText("4000000");
    Enter(&dialog, "RefPosYEdit", "x");
    ExpectOneError("Illegal value for ECEF Y position.");
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(&dialog, "RefPosYEdit"));
    EXPECT_EQ(dialog.Position().x, 6378237.0);  // nothing stored
    Enter(&dialog, "RefPosYEdit", "3000000", "RefPosZEdit");
    Enter(&dialog, "RefPosZEdit", "4000000");
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(dialog.Position().x, 4000000.0);
    double lat = 0, lon = 0, h = 0, x = 4e6, y = 3e6, z = 4e6;
    ConvertGeodetic(0, kWgs84A, kWgs84F, lat, lon, h, x, y, z);
    EXPECT_EQ(dialog.Position().latitude, lat);
    EXPECT_EQ(TextOf(&dialog, "ElipHtEdit"), QString::fromStdString(FormatFixed(h, 3)));
}

TEST_F(position_dialogs, cancel_leaves_an_illegal_field_without_a_message) {
    SensorPositionDialog dialog;
    dialog.Setup("Temperature Sensor Position", SensorPosition{1e6, 2e6, 6e6});
    ShowActive(&dialog);
    auto* lat = Find<QLineEdit>(&dialog, "RefNLatDecDeg");
    lat->setFocus();
    lat->setText("123");
    QTest::mouseClick(Find<QPushButton>(&dialog, "CancelBtn"), Qt::LeftButton);
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Result().x, 1e6);
}

TEST_F(position_dialogs, ok_commits_the_edit_holding_the_focus) {
    SensorPositionDialog dialog;
    dialog.Setup("Pressure Sensor Position", SensorPosition{});
    ShowActive(&dialog);
    auto* x = Find<QLineEdit>(&dialog, "RefPosXEdit");
    x->setFocus();
    x->setText("oops");
    dialog.OnOkBtnClick();  // Enter pressed in the edit
    ExpectOneError("Illegal value for ECEF X position.");
    EXPECT_TRUE(dialog.isVisible());
    x->setText("-6378137");
    dialog.OnOkBtnClick();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Result().x, -6378137.0);
    EXPECT_EQ(dialog.Result().y, 0.0);
}

TEST_F(position_dialogs, bfile_box_wins_over_a_pasted_position) {
    FakeClipboard clipboard;
    SetClipboardPort(&clipboard);
    SitePositionDialog dialog;
    SitePosInput in;
    in.fromBFile = true;
    in.x = 1.0e6;
    in.y = 2.0e6;
    in.z = 6.0e6;
    in.bFileX = 4027893.1234;
    in.bFileY = 307045.5678;
    in.bFileZ = 4919474.9012;
    dialog.Setup(in);
    ShowActive(&dialog);
    EXPECT_TRUE(Find<QCheckBox>(&dialog, "BFilePosCheckBox")->isChecked());
    EXPECT_FALSE(Find<QLineEdit>(&dialog, "RefPosXEdit")->isEnabled());
    EXPECT_FALSE(Find<QLabel>(&dialog, "RefNLatLabel")->isEnabled());
    EXPECT_EQ(TextOf(&dialog, "RefPosXEdit"), "4027893.1234");

    // Paste is not offered while the box is ticked: OK would drop the pasted position.
    clipboard.text = "X -2700000.123 Y 4300000.456 Z 3850000.789";
    EXPECT_FALSE(Find<QAction>(&dialog, "SpecialPasteMenuItem")->isEnabled());
    Find<QAction>(&dialog, "SpecialPasteMenuItem")->trigger();
    EXPECT_TRUE(MessageBox::shown().empty());
    EXPECT_EQ(TextOf(&dialog, "RefPosXEdit"), "4027893.1234");
    EXPECT_TRUE(Find<QCheckBox>(&dialog, "BFilePosCheckBox")->isChecked());

    QTest::mouseClick(Find<QPushButton>(&dialog, "OKBtn"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Result().fromBFile);
    EXPECT_EQ(dialog.Result().x, 4027893.1234);
    EXPECT_EQ(dialog.Result().z, 4919474.9012);
}

TEST_F(position_dialogs, unticking_the_bfile_box_keeps_the_values_and_stores_the_edits) {
    SitePositionDialog dialog;
    SitePosInput in;
    in.fromBFile = true;
    in.bFileX = 4027893.0;
    in.bFileY = 307045.0;
    in.bFileZ = 4919474.0;
    dialog.Setup(in);
    ShowActive(&dialog);
    auto* box = Find<QCheckBox>(&dialog, "BFilePosCheckBox");
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(Find<QLineEdit>(&dialog, "RefPosXEdit")->isEnabled());
    EXPECT_EQ(TextOf(&dialog, "RefPosXEdit"), "4027893.0000");
    Enter(&dialog, "ElipHtEdit", "1000");
    dialog.OnOkBtnClick();
    EXPECT_FALSE(dialog.Result().fromBFile);
    EXPECT_EQ(dialog.Result().x, dialog.Position().x);
    EXPECT_NE(dialog.Result().x, 4027893.0);
}

TEST_F(position_dialogs, paste_fills_xyz_and_the_geodetic_fields) {
    // The real (offscreen) clipboard, as the windows use it.
    QGuiApplication::clipboard()->setText("[SITE 12] n 45.123 e 7.5 h 420");
    SitePositionDialog dialog;
    dialog.Setup(SitePosInput{});
    ShowActive(&dialog);
    dialog.OnSpecialPasteMenuItemClick();
    EXPECT_TRUE(MessageBox::shown().empty());
    double lat = 45.123, lon = 7.5, h = 420, x = 0, y = 0, z = 0;
    ConvertGeodetic(1, kWgs84A, kWgs84F, lat, lon, h, x, y, z);
    EXPECT_EQ(dialog.Position().x, x);
    EXPECT_EQ(TextOf(&dialog, "RefPosXEdit"), QString::fromStdString(FormatFixed(x, 4)));
    EXPECT_EQ(TextOf(&dialog, "RefNLatDecDeg"), " 45.1230000000");
    EXPECT_EQ(TextOf(&dialog, "RefELonDecDeg"), "  7.5000000000");
    EXPECT_EQ(TextOf(&dialog, "RefWLonDecDeg"), "352.5000000000");
    EXPECT_EQ(TextOf(&dialog, "ElipHtEdit"), "420.000");
}

TEST_F(position_dialogs, failed_paste_reports_and_changes_nothing) {
    FakeClipboard clipboard;
    SetClipboardPort(&clipboard);
    SensorPositionDialog dialog;
    dialog.Setup("Pressure Sensor Position", SensorPosition{});
    clipboard.text = "N 45.123 E 7.5";  // no height
    dialog.OnSpecialPasteMenuItemClick();
    clipboard.text.reset();  // no text at all
    dialog.OnSpecialPasteMenuItemClick();
    ASSERT_EQ(MessageBox::shown().size(), 2u);
    for (const auto& r : MessageBox::shown()) {
        EXPECT_EQ(r.title, "ERROR: Special Paste Error.");
        EXPECT_EQ(r.text,
                  "The Clipboard does not have recognized coordinates...\nAborted Paste "
                  "Operation.");
        EXPECT_EQ(r.icon, MessageIcon::kStop);
    }
    EXPECT_EQ(dialog.Position().x, kWgs84A);
}

TEST_F(position_dialogs, copy_puts_the_full_position_on_the_clipboard) {
    SensorPositionDialog dialog;
    dialog.Setup("Pressure Sensor Position",
                 SensorPosition{-2700000.123, 4300000.456, 3850000.789});
    QGuiApplication::clipboard()->clear();
    Find<QAction>(&dialog, "SpecialCopyFullPosition")->trigger();
    EXPECT_TRUE(MessageBox::shown().empty());
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text.toStdString(),
              PositionTextRecognizer::CopyPositionText(-2700000.123, 4300000.456, 3850000.789));
    EXPECT_TRUE(text.contains(" X -2700000.1230 Y 4300000.4560 Z 3850000.7890\r\n"));
    // And it pastes back.
    SitePositionDialog other;
    other.Setup(SitePosInput{});
    other.OnSpecialPasteMenuItemClick();
    EXPECT_EQ(other.Position().x, -2700000.123);
    EXPECT_EQ(other.Position().z, 3850000.789);
}

TEST_F(position_dialogs, refused_clipboard_write_reports_the_copy_error) {
    FakeClipboard clipboard;
    clipboard.writable = false;
    SetClipboardPort(&clipboard);
    SensorPositionDialog dialog;
    dialog.Setup("Pressure Sensor Position", SensorPosition{});
    dialog.OnSpecialCopyFullPositionClick();
    ASSERT_EQ(MessageBox::shown().size(), 1u);
    EXPECT_EQ(MessageBox::shown()[0].title, "ERROR: Clipboard Write Error.");
    EXPECT_EQ(MessageBox::shown()[0].text,
              "Clipboard write operation failed...  Aborted\nclipboard copy task.");
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageIcon::kStop);
}

}  // namespace
}  // namespace kelvrant
