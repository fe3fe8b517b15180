// The header data window's decisions (see ObsHeaderForm.h).
#include "forms/ObsHeaderForm.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "ashtech/BFileReader.h"
#include "convert/ReceiverModels.h"
#include "run/HeaderFill.h"

namespace kelvrant {
namespace {

// A leading real number as "%lf" reads it: blanks skipped, an optional sign, the number;
// anything after it ignored. Non-finite and out-of-range values are refused, as no header
// field can hold them.
std::optional<double> ScanMetres(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] == '+' || text[i] == '-') return std::nullopt;
    double value = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr == first || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

AntOffsetCheck Fail(int focus, std::string_view message) {
    AntOffsetCheck check;
    check.focus = focus;
    check.message = message;
    return check;
}

}  // namespace

AntOffsetCheck CheckAntennaOffsets(const std::array<std::string, 5>& texts) {
    const auto north = ScanMetres(texts[kNorthOffset]);
    if (!north) return Fail(kNorthOffset, headertext::kBadNorth);
    const auto east = ScanMetres(texts[kEastOffset]);
    if (!east) return Fail(kEastOffset, headertext::kBadEast);
    const auto slant = ScanMetres(texts[kSlantOffset]);
    if (!slant || *slant < 0.0) return Fail(kSlantOffset, headertext::kBadSlant);
    const auto radius = ScanMetres(texts[kRadiusOffset]);
    if (!radius || *radius < 0.0) return Fail(kRadiusOffset, headertext::kBadRadius);
    const auto delta = ScanMetres(texts[kDeltaVertOffset]);
    if (!delta) return Fail(kDeltaVertOffset, headertext::kBadDeltaVertical);
    // A radius of 0 means a vertical height; any other must be smaller than the slant.
    if (std::fabs(*radius) > 1e-9 && *radius >= *slant) {
        return Fail(std::fabs(*slant) >= 1e-9 ? kRadiusOffset : kSlantOffset,
                    headertext::kSlantNotAboveRadius);
    }
    AntOffsetCheck check;
    check.ok = true;
    check.values = {*north, *east, *slant, *radius, *delta};
    return check;
}

std::string FormatMetres(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

DataTypeChoice DataTypeChoices(int bFileDataType) {
    switch (bFileDataType) {
        case kDataL1:
            return {{1, 4}, 1};
        case kDataL2C:
            return {{1, 2, 4}, 2};
        case kDataL1CP_L2P:
            return {{1, 3, 4, 5, 6}, 3};
        case kDataCdPhase:
            return {{4}, 4};
        case kDataL1CP:
            return {{1, 4, 5}, 5};
        case kDataL1C_L2P:
            return {{1, 4, 5, 6}, 6};
        default:
            return {{1, 2, 3, 4, 5, 6}, 3};
    }
}

std::string_view DataTypeItemText(int code) {
    if (code < 1 || code > 6) return {};
    return kDataTypeNames[code - 1];
}

int DataTypeCodeOfItem(std::string_view text) {
    for (int code = 1; code <= 6; ++code)
        if (text == kDataTypeNames[code - 1]) return code;
    return 3;
}

bool NeedsGlonassClockWarning(std::string_view receiverType) {
    return TracksGlonass(receiverType);
}

bool SiteDataSupplied(const RunFileSet& files) {
    return files.Site.loaded != 0;
}

HeaderFormValues LoadHeaderForm(const ConfigStore& config, const RunFileSet& files) {
    HeaderFormValues form;
    form.siteNumber = CutToWidth(config.GetSiteNumber(), headerwidth::kStaNum);
    form.observerAgency = CutToWidth(config.GetObserverAgency(), headerwidth::kObservAgency);
    form.createAgency = CutToWidth(config.GetCreateAgency(), headerwidth::kCreateAgency);
    const CommentSet comments = config.GetComments();
    for (std::size_t i = 0; i < 3; ++i)
        form.comments[i] = CutToWidth(comments.text[i], headerwidth::kComment);
    form.rcvrType =
        CutToWidth("Ashtech " + files.ObsReader.Header().ReceiverType(), headerwidth::kRcvrType);
    form.antType = CutToWidth(config.GetAntType(), headerwidth::kAntType);

    form.approxPosFromBFile = config.GetApproxPosFlag();
    form.position = config.GetApproxPos();
    if (form.approxPosFromBFile != 0) {
        form.position = {files.ObsReader.MeanX(), files.ObsReader.MeanY(), files.ObsReader.MeanZ()};
    }

    if (SiteDataSupplied(files)) {
        const ObsHeaderRecord& h = files.ObsHeader;
        form.offsets = {h.antennaNorth, h.antennaEast, h.antennaSlant, h.antennaRadius,
                        h.antennaDeltaVertical};
        form.siteName = CutToWidth(h.markerName, headerwidth::kSiteName);
        form.observer = CutToWidth(h.observer, headerwidth::kObserver);
        form.rcvrSerNum = CutToWidth(h.receiverNumber, headerwidth::kRcvrSN);
        form.antSerNum = CutToWidth(h.antennaNumber, headerwidth::kAntSN);
    } else {
        form.offsets = config.GetAntOffsets();
        form.siteName = CutToWidth(config.GetSiteName(), headerwidth::kSiteName);
        form.observer = CutToWidth(config.GetObserver(), headerwidth::kObserver);
        form.rcvrSerNum = CutToWidth(config.GetRcvrSerNum(), headerwidth::kRcvrSN);
        form.antSerNum = CutToWidth(config.GetAntSerNum(), headerwidth::kAntSN);
    }

    form.writeEpInt = config.GetWriteEpInt() != 0;
    form.writeSats = config.GetWriteSats() != 0;
    form.clockAdjust = config.GetMsObsHandling() != 0;
    form.smoothCode = config.GetSmoothCode() != 0;
    form.siteChanges = config.GetWriteSiteChngs() != 0;
    form.outputDoppler = config.GetAllowDoplr() != 0;
    form.dataTypes = DataTypeChoices(files.ObsReader.Header().DataType());
    form.editing = config.Settings().Editing;
    return form;
}

namespace {
EditText ParseChoices(const EditingChoices& e, EditOptions& out) {
    return ParseEditTexts({e.from, e.to, e.decimate, e.split, e.types, e.exclude}, out);
}
}  // namespace

std::string_view CheckEditingChoices(const EditingChoices& editing) {
    EditOptions ignored;
    switch (ParseChoices(editing, ignored)) {
        case EditText::kNone:
        case EditText::kSplit:  // chosen from a list
            return {};
        case EditText::kFrom:
            return headertext::kBadFrom;
        case EditText::kTo:
            return headertext::kBadTo;
        case EditText::kDecimate:
            return headertext::kBadDecimate;
        case EditText::kTypes:
            return headertext::kBadTypes;
        case EditText::kExclude:
            return headertext::kBadExclude;
    }
    return {};
}

void ApplyObsOptionsToJob(const ConfigStore& config, ConversionJob& job) {
    job.ClockAdjust = config.GetMsObsHandling() != 0;
    job.SmoothCode = config.GetSmoothCode() != 0;
    job.SiteChanges = config.GetWriteSiteChngs() != 0;
    job.OutputDoppler = config.GetAllowDoplr();
}

void StoreHeaderForm(const HeaderFormValues& form, int dataTypeCode, bool siteDataSupplied,
                     ConfigStore& config, ConversionJob& job, ObsHeaderRecord& obs,
                     NavHeaderRecord& nav) {
    config.SetSiteName(form.siteName);
    config.SetSiteNumber(form.siteNumber);
    config.SetObserverAgency(form.observerAgency);
    config.SetCreateAgency(form.createAgency);
    config.SetComments(form.comments[0], form.comments[1], form.comments[2]);
    config.SetRcvrType(form.rcvrType);
    config.SetAntType(form.antType);
    config.SetApproxPos(form.approxPosFromBFile, form.position);
    if (!siteDataSupplied) {
        config.SetRcvrSerNum(form.rcvrSerNum);
        config.SetAntSerNum(form.antSerNum);
        config.SetObserver(form.observer);
        config.SetAntOffsets(form.offsets);
    }
    config.SetWriteEpInt(form.writeEpInt ? 1 : 0);
    config.SetWriteSats(form.writeSats ? 1 : 0);
    config.SetMsObsHandling(form.clockAdjust ? 1 : 0);
    config.SetSmoothCode(form.smoothCode ? 1 : 0);
    config.SetWriteSiteChngs(form.siteChanges ? 1 : 0);
    config.SetAllowDoplr(form.outputDoppler ? 1 : 0);
    job.ClockAdjust = form.clockAdjust;
    job.SmoothCode = form.smoothCode;
    job.SiteChanges = form.siteChanges;
    job.OutputDoppler = form.outputDoppler ? 1 : 0;
    config.Settings().Editing = form.editing;
    job.Editing = EditOptions{};
    ParseChoices(form.editing, job.Editing);

    // The header shows what the window holds; with site data of an S-file that includes the
    // observer and serial numbers the settings do not keep.
    HeaderSettings values = config.Settings();
    values.Observer = form.observer;
    values.RcvrSerNum = form.rcvrSerNum;
    values.AntSerNum = form.antSerNum;
    FillHeaderTexts(values, obs, nav);
    obs.approxX = form.position[0];
    obs.approxY = form.position[1];
    obs.approxZ = form.position[2];
    obs.antennaNorth = form.offsets[kNorthOffset];
    obs.antennaEast = form.offsets[kEastOffset];
    obs.antennaSlant = form.offsets[kSlantOffset];
    obs.antennaRadius = form.offsets[kRadiusOffset];
    obs.antennaDeltaVertical = form.offsets[kDeltaVertOffset];
    SetObservationTypes(obs, dataTypeCode, job.OutputDoppler == 0);
}

}  // namespace kelvrant
