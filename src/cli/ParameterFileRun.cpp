// Loading the auto-parameters file (see ParameterFileRun.h).
#include "cli/ParameterFileRun.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "run/LongNames.h"
#include "settings/OutputFormat.h"
#include "settings/ParameterFile.h"

namespace kelvrant {
namespace {

constexpr const char* kTitlePrefix = "Error Parameters Dara File: ";

std::string NotFoundText(const std::string& path) {
    return "The RINEX Header/Option Parameter File does not exist:\r\n   " + path +
           "\r\n\r\nCannot continue.";
}

std::string OpenErrorText(const std::string& path) {
    return "A System Error occured when attempting to open the RINEX\r\n Header/Option "
           "Parameter File:\r\n   " +
           path + "\r\n\r\nCannot Continue.";
}

std::string ReadErrorText(int code, int lineCount) {
    const std::string line = std::to_string(lineCount);
    switch (code) {
        case ParameterFile::kUnknownParam:
            return "Unknown RINEX header file parameter read.\r\n  Error occurec at line " + line +
                   "\r\n\r\nCannot contniue with edit operation.";
        case ParameterFile::kRangeError:
            return "Data range error when readimg RINEX header file.\r\n  Error occurec at line " +
                   line + "\r\n\r\nCannot contniue with edit operation.";
        default:
            return std::string("RINEX header manager reports the following error:\r\n   ") +
                   ParameterFile::HeaderErrorText(code) +
                   ".\r\n\r\nCannot contniue with edit operation.";
    }
}

constexpr const char* kNotAutoText =
    "The RINEX Header/Option Parameter is not in the correct\r\n format for auto-conversion.\r\n";

void CopyXyz(double (&to)[3], const double (&from)[3]) {
    for (int i = 0; i < 3; ++i)
        to[i] = from[i];
}

/// Copies the first record into the job and the settings.
void Apply(const HeaderRecord& r, ConversionJob& job, HeaderSettings& s) {
    job.ObsRun = r.KelvrantMode == 0;
    job.MetRun = !job.ObsRun;

    job.BFileName = r.BFName;
    job.EFileName = r.EFName;
    job.SFileName = r.SFName;
    job.IonFileName = r.IonFName;
    job.MetInFileName = r.IMetFName;
    job.ObsFileName = r.ObsFName;
    job.NavFileName = r.NavFName;
    job.NavGFileName = r.GNavFName;
    job.MetOutFileName = r.OMetFName;

    s.SiteName = r.SiteName;
    s.SiteNumber = r.SiteNumber;
    s.CreateAgency = r.CreateAgency;
    s.Observer = r.Observer;
    s.ObserverAgency = r.ObserverAgency;
    for (int i = 0; i < 3; ++i)
        s.Comment[i] = r.Comment[i];
    s.RcvrType = r.RcvrType;
    s.RcvrSerNum = r.RcvrSerNum;
    s.RcvrVer = r.RcvrVer;
    s.AntType = r.AntType;
    s.AntSerNum = r.AntSerNum;
    s.ApproxPosUseData = r.ApproxPosBFile;
    CopyXyz(s.ApproxPos, r.ApproxPos);
    for (int i = 0; i < 5; ++i)
        s.AntOffsets[i] = r.AntOffset[i];
    s.WriteEpInt = r.WriteEpInt;
    s.WriteSats = r.WriteSats;
    s.MsObsHandling = r.MsObsHandling;
    s.SmoothCode = r.SmoothCode;
    s.WriteSiteChngs = r.WriteSiteChngs;
    s.AllowDoplr = r.AllowDoplr;
    for (int i = 0; i < 3; ++i)
        s.MetComment[i] = r.MetComment[i];
    s.MetPressMod = r.MetPressMod;
    s.MetPressTyp = r.MetPressTyp;
    s.MetPressAcc = r.MetPressAcc;

    // The sensors stand at the station, or at the pressure sensor, when the file says so.
    if (r.MetUseObsPos != 0) {
        CopyXyz(s.MetPressPos, r.ApproxPos);
    } else {
        CopyXyz(s.MetPressPos, r.MetPressPos);
    }
    s.MetTempMod = r.MetTempMod;
    s.MetTempTyp = r.MetTempTyp;
    s.MetTempAcc = r.MetTempAcc;
    s.MetTempUsePress = r.MetTempPosAtPres;
    if (r.MetTempPosAtPres != 0) {
        CopyXyz(s.MetTempPos, s.MetPressPos);
    } else {
        CopyXyz(s.MetTempPos, r.MetTempPos);
    }
    s.MetHumidMod = r.MetHumidMod;
    s.MetHumidTyp = r.MetHumidTyp;
    s.MetHumidAcc = r.MetHumidAcc;
    s.MetHumidUsePress = r.MetHumidPosAtPres;
    if (r.MetHumidPosAtPres != 0) {
        CopyXyz(s.MetHumidPos, s.MetPressPos);
    } else {
        CopyXyz(s.MetHumidPos, r.MetHumidPos);
    }

    job.ClockAdjust = r.MsObsHandling != 0;
    job.SmoothCode = r.SmoothCode != 0;
    job.SiteChanges = r.WriteSiteChngs != 0;
    job.OutputDoppler = r.AllowDoplr;

    s.Output.rinexVersion = r.RinexVersion;
    ParseCompression(r.Compress, s.Output.compact, s.Output.gzip);
    s.Output.longNames = r.LongNames;
    s.Output.monument = r.Monument;
    s.Output.receiverIndex = r.ReceiverIndex;
    s.Output.country = r.Country;
    for (char& c : s.Output.country)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

/// The output format keys whose texts the table cannot check; empty when both are right.
std::string FormatProblem(const HeaderRecord& r) {
    bool compact = false;
    bool gzip = false;
    if (!ParseCompression(r.Compress, compact, gzip))
        return "COMPRESS must be none, crx, gz or crx.gz, not \"" + r.Compress + "\".";
    if (!ValidCountryCode(r.Country))
        return "COUNTRY must be a three-letter country code (XXX when unknown), not \"" +
               r.Country + "\".";
    return {};
}

// The editing keys into the job; the command line's own choices stand. Empty when every given
// value is valid, else what is wrong with the first that is not.
std::string TakeEditing(const HeaderRecord& r, EditOptions& edit) {
    EditOptions file;
    const auto bad = [](const char* key, const char* form, const std::string& value) {
        return std::string(key) + " must be " + form + ", not \"" + value + "\".";
    };
    constexpr const char* kTimeForm = "YYYY-MM-DD hh:mm[:ss] or WEEK:SECONDS (GPS time)";
    switch (ParseEditTexts({r.ObsFrom, r.ObsTo, r.Decimate, r.Split, r.ObsTypes, r.ExcludeSats},
                           file)) {
        case EditText::kNone:
            break;
        case EditText::kFrom:
            return bad("OBS_FROM", kTimeForm, r.ObsFrom);
        case EditText::kTo:
            return bad("OBS_TO", kTimeForm, r.ObsTo);
        case EditText::kDecimate:
            return bad("DECIMATE", "seconds, a multiple of 0.1 from 0.1 to 86400", r.Decimate);
        case EditText::kSplit:
            return bad("SPLIT", "none, day or hour", r.Split);
        case EditText::kTypes:
            return bad("OBS_TYPES", "a comma list of L1, L2, C1, P1, P2, D1, D2", r.ObsTypes);
        case EditText::kExclude:
            return bad("EXCLUDE_SATS", "a comma list of satellites (G05, R12) and systems (G, R)",
                       r.ExcludeSats);
    }
    if (!edit.from) edit.from = file.from;
    if (!edit.to) edit.to = file.to;
    if (edit.decimateMs == 0) edit.decimateMs = file.decimateMs;
    if (edit.split == SplitUnit::kNone) edit.split = file.split;
    if (!edit.types) edit.types = file.types;
    for (std::size_t i = 0; i < edit.excluded.size(); ++i)
        edit.excluded[i] = edit.excluded[i] || file.excluded[i];
    return {};
}

}  // namespace

bool LoadAutoParameters(const std::string& path, ConversionJob& job, HeaderSettings& settings,
                        ProblemSink& sink) {
    job.SaveConfigOnExit = false;
    const std::string title = kTitlePrefix + path;

    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        sink.Report(title, NotFoundText(path));
        return false;
    }
    // A directory opens for reading on some systems but yields no lines.
    std::FILE* file =
        std::filesystem::is_directory(status) ? nullptr : std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        sink.Report(title, OpenErrorText(path));
        return false;
    }

    ParameterFile manager;
    int lineCount = 0;
    const bool read = manager.ReadFile(file, lineCount);
    std::fclose(file);
    if (!read) {
        const int code = manager.TakeError();
        std::string text = ReadErrorText(code, lineCount);
        // The line itself, so that a long file need not be counted through.
        if (code == ParameterFile::kUnknownParam || code == ParameterFile::kRangeError)
            text += "\r\n\r\n" + manager.LastLine();
        sink.Report(title, text);
        return false;
    }

    HeaderRecord record;
    manager.GetDefaults(record);
    if (record.KelvrantPresnt == 0) {
        sink.Report(title, kNotAutoText);
        return false;
    }
    if (const std::string problem = FormatProblem(record); !problem.empty()) {
        sink.Report(title, problem);
        return false;
    }
    if (const std::string problem = TakeEditing(record, job.Editing); !problem.empty()) {
        sink.Report(title, problem);
        return false;
    }
    Apply(record, job, settings);
    return true;
}

}  // namespace kelvrant
