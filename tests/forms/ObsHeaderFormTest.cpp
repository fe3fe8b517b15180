#include <gtest/gtest.h>

#include "forms/ObsHeaderForm.h"

namespace kelvrant {
namespace {

AntOffsetCheck Check(const char* n, const char* e, const char* s, const char* r, const char* d) {
    return CheckAntennaOffsets({n, e, s, r, d});
}

TEST(header_edit, offsets_read_like_scanf_and_negative_north_east_delta_pass) {
    const AntOffsetCheck c = Check(" -1.25m", "+2", "1.5", "0.1", "-0.3xyz");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.values[kNorthOffset], -1.25);
    EXPECT_EQ(c.values[kEastOffset], 2.0);
    EXPECT_EQ(c.values[kSlantOffset], 1.5);
    EXPECT_EQ(c.values[kRadiusOffset], 0.1);
    EXPECT_EQ(c.values[kDeltaVertOffset], -0.3);
    EXPECT_TRUE(Check("1e-3", ".5", "0", "0", "0").ok);
}

TEST(header_edit, each_unreadable_offset_names_its_edit) {
    struct Case {
        AntOffsetCheck check;
        int focus;
        std::string_view message;
    };
    const Case cases[] = {
        {Check("", "0", "0", "0", "0"), kNorthOffset, headertext::kBadNorth},
        {Check("0", "x", "0", "0", "0"), kEastOffset, headertext::kBadEast},
        {Check("0", "0", "-0.1", "0", "0"), kSlantOffset, headertext::kBadSlant},
        {Check("0", "0", "1", "-1", "0"), kRadiusOffset, headertext::kBadRadius},
        {Check("0", "0", "1", "0", "--1"), kDeltaVertOffset, headertext::kBadDeltaVertical},
        {Check("nan", "0", "0", "0", "0"), kNorthOffset, headertext::kBadNorth},
        {Check("0", "0", "inf", "0", "0"), kSlantOffset, headertext::kBadSlant},
        {Check("0", "1e999", "0", "0", "0"), kEastOffset, headertext::kBadEast},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.check.ok);
        EXPECT_EQ(c.check.focus, c.focus);
        EXPECT_EQ(c.check.message, c.message);
    }
    EXPECT_EQ(headertext::kBadSlant, "Erroneous data entry for Antenna Height Slant Measurement.");
}

TEST(header_edit, radius_must_stay_below_slant_unless_zero) {
    const AntOffsetCheck equal = Check("0", "0", "1.5", "1.5", "0");
    EXPECT_FALSE(equal.ok);
    EXPECT_EQ(equal.focus, kRadiusOffset);
    EXPECT_EQ(equal.message,
              "Erroneous data entry for Antenna Height Measurements.\nSlant measurement must be "
              "larger than radius.");
    const AntOffsetCheck noSlant = Check("0", "0", "0", "0.2", "0");
    EXPECT_FALSE(noSlant.ok);
    EXPECT_EQ(noSlant.focus, kSlantOffset);
    EXPECT_TRUE(Check("0", "0", "0", "0", "0").ok);
    EXPECT_TRUE(Check("0", "0", "2", "0.0000000001", "0").ok);
    EXPECT_TRUE(Check("0", "0", "1.5", "1.4999", "0").ok);
}

TEST(header_edit, data_types_offered_by_the_b_file) {
    EXPECT_EQ(DataTypeChoices(1).codes, (std::vector<int>{1, 4}));
    EXPECT_EQ(DataTypeChoices(1).selected, 1);
    EXPECT_EQ(DataTypeChoices(2).codes, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(DataTypeChoices(3).codes, (std::vector<int>{1, 3, 4, 5, 6}));
    EXPECT_EQ(DataTypeChoices(4).codes, (std::vector<int>{4}));
    EXPECT_EQ(DataTypeChoices(5).codes, (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(DataTypeChoices(6).codes, (std::vector<int>{1, 4, 5, 6}));
    EXPECT_EQ(DataTypeChoices(6).selected, 6);
    for (int other : {0, 7, -1}) {
        EXPECT_EQ(DataTypeChoices(other).codes, (std::vector<int>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(DataTypeChoices(other).selected, 3);
    }
    EXPECT_EQ(DataTypeItemText(3), "L1CP_L2P (L1 C/A, L1 P-Code, and L2 P-Code)");
    EXPECT_EQ(DataTypeCodeOfItem("L1C_L2P (L1 C/A and L2 P-Code)"), 6);
    EXPECT_EQ(DataTypeCodeOfItem("something else"), 3);
}

TEST(header_edit, glonass_warning_for_glonass_models_in_any_case) {
    EXPECT_TRUE(NeedsGlonassClockWarning("GG24"));
    EXPECT_TRUE(NeedsGlonassClockWarning("Z18"));
    EXPECT_TRUE(NeedsGlonassClockWarning("GG-XXIV"));
    EXPECT_TRUE(NeedsGlonassClockWarning("gg24"));
    EXPECT_FALSE(NeedsGlonassClockWarning("GG24 "));
    EXPECT_FALSE(NeedsGlonassClockWarning("G12"));
}

HeaderFormValues SampleForm() {
    HeaderFormValues form;
    form.siteName = "KELVIN HILL";
    form.siteNumber = "42";
    form.observer = "OBS";
    form.observerAgency = "AGENCY";
    form.createAgency = "CREATOR";
    form.rcvrType = "Ashtech GG24";
    form.rcvrSerNum = "RSN";
    form.antType = "ANT";
    form.antSerNum = "ASN";
    form.comments = {"", "", "third only"};
    form.approxPosFromBFile = 0;
    form.position = {1.0, 2.0, 3.0};
    form.offsets = {0.1, 0.2, 1.5, 0.0, 0.3};
    form.writeEpInt = true;
    form.writeSats = false;
    form.clockAdjust = true;
    form.smoothCode = false;
    form.siteChanges = true;
    form.outputDoppler = false;
    return form;
}

TEST(header_edit, store_without_site_data_fills_settings_job_and_records) {
    ConfigStore config;
    ConversionJob job;
    ObsHeaderRecord obs;
    NavHeaderRecord nav;
    StoreHeaderForm(SampleForm(), 3, false, config, job, obs, nav);
    EXPECT_EQ(config.GetSiteName(), "KELVIN HILL");
    EXPECT_EQ(config.GetObserver(), "OBS");
    EXPECT_EQ(config.GetRcvrSerNum(), "RSN");
    EXPECT_EQ(config.Settings().Comment[0], "third only");
    EXPECT_EQ(config.Settings().Comment[2], "");
    EXPECT_EQ(config.GetAntOffsets()[2], 1.5);
    EXPECT_EQ(config.GetAllowDoplr(), 0);
    EXPECT_EQ(config.GetWriteEpInt(), 1);
    EXPECT_TRUE(job.ClockAdjust);
    EXPECT_FALSE(job.SmoothCode);
    EXPECT_EQ(job.OutputDoppler, 0);
    EXPECT_EQ(obs.commentCount, 1);
    EXPECT_EQ(obs.comments[0], "third only");
    EXPECT_EQ(obs.markerNumberPresent, 1);
    EXPECT_EQ(obs.runBy, "CREATOR");
    EXPECT_EQ(obs.antennaSlant, 1.5);
    EXPECT_EQ(obs.approxZ, 3.0);
    EXPECT_EQ(obs.intervalPresent, 1);
    EXPECT_EQ(obs.satelliteListPresent, 0);
    EXPECT_NE(obs.obsTypes[kObsP2], 0);
    EXPECT_EQ(obs.obsTypes[kObsD1], 0);  // no Doppler
    EXPECT_EQ(nav.runBy, "CREATOR");
    EXPECT_EQ(nav.commentCount, 1);
    EXPECT_EQ(nav.comments[0], "third only");
}

TEST(header_edit, site_data_values_reach_the_job_but_not_the_settings) {
    ConfigStore config;
    config.SetObserver("SETTINGS OBS");
    config.SetAntSerNum("SETTINGS ASN");
    config.SetAntOffsets({9, 9, 9, 0, 9});
    ConversionJob job;
    ObsHeaderRecord obs;
    NavHeaderRecord nav;
    StoreHeaderForm(SampleForm(), 1, true, config, job, obs, nav);
    EXPECT_EQ(config.GetObserver(), "SETTINGS OBS");
    EXPECT_EQ(config.GetAntSerNum(), "SETTINGS ASN");
    EXPECT_EQ(config.GetAntOffsets()[0], 9.0);
    EXPECT_EQ(config.GetSiteName(), "KELVIN HILL");  // stored in both cases
    EXPECT_EQ(obs.observer, "OBS");
    EXPECT_EQ(obs.antennaNumber, "ASN");
    EXPECT_EQ(obs.antennaNorth, 0.1);
    EXPECT_EQ(obs.obsTypes[kObsL2], 0);  // data type 1: L1 only
}

TEST(header_edit, format_metres_uses_four_decimals) {
    EXPECT_EQ(FormatMetres(1.45), "1.4500");
    EXPECT_EQ(FormatMetres(-4189980.33474), "-4189980.3347");
}

}  // namespace
}  // namespace kelvrant
