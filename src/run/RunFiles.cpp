// Opening and closing the files of a conversion run (see RunFiles.h).
#include "run/RunFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "geo/GpsTime.h"
#include "rinex/LineWriter.h"

namespace kelvrant {

namespace {

std::string FullPath(const std::string& name) {
    std::error_code ec;
    const auto full = std::filesystem::absolute(name, ec);
    return ec ? name : full.lexically_normal().string();
}

bool OpenRunFile(RunFile& f, const std::string& name, const char* mode, std::string& reason) {
    f.name = name;
    errno = 0;
    f.file = std::fopen(name.c_str(), mode);
    if (f.file == nullptr) reason = SystemReason(errno != 0 ? errno : ENOENT);
    return f.file != nullptr;
}

void CloseRunFile(RunFile& f) {
    if (f.file != nullptr) std::fclose(f.file);
    f.file = nullptr;
}

// The reason a read of an input stopped, when the system gave one.
std::string ReadReason(const RunFile& f) {
    return f.file != nullptr && std::ferror(f.file) != 0 ? SystemReason(errno) : std::string();
}

// What a name is on the disk: device and inode when the file exists, otherwise the folder's
// device and inode and the name in it, so that two spellings of one path compare equal.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    std::string nameInFolder;  ///< empty when the file exists
    bool known = false;
    bool operator==(const FileIdentity& o) const {
        return known && o.known && device == o.device && inode == o.inode &&
               nameInFolder == o.nameInFolder;
    }
};

// Outputs are looked at without following a symlink: publishing replaces the link itself.
FileIdentity IdentityOf(const std::string& name, bool followLink) {
    FileIdentity id;
    struct stat st {};
    if ((followLink ? ::stat(name.c_str(), &st) : ::lstat(name.c_str(), &st)) == 0) {
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.known = true;
        return id;
    }
    const std::filesystem::path path(name);
    std::string folder = path.parent_path().string();
    if (folder.empty()) folder = ".";
    if (::stat(folder.c_str(), &st) != 0) return id;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.nameInFolder = path.filename().string();
    id.known = true;
    return id;
}

struct NamedFile {
    const std::string* name;
    FileIdentity id;
};

// Refuses an output that is an input or another output; true when every output is its own.
bool OutputsStandAlone(const std::vector<const std::string*>& inputs,
                       const std::vector<const std::string*>& outputs, ProblemSink& problems) {
    std::vector<NamedFile> in;
    for (const std::string* name : inputs)
        if (!name->empty()) in.push_back({name, IdentityOf(*name, true)});
    std::vector<NamedFile> out;
    for (const std::string* name : outputs) {
        if (name->empty()) continue;
        NamedFile o{name, IdentityOf(*name, false)};
        // A symlink output replaced by publishing never reaches its target, but one that
        // leads to an input names that input as an output to anyone reading the command.
        const FileIdentity target = IdentityOf(*name, true);
        for (const NamedFile& i : in) {
            if (o.id == i.id || target == i.id) {
                problems.Report(runtext::kOutputConflict, std::string(runtext::kOutputIsInput) +
                                                              "\n\nOutput: " + FullPath(*name) +
                                                              "\nInput: " + FullPath(*i.name));
                return false;
            }
        }
        for (const NamedFile& other : out) {
            if (o.id == other.id) {
                problems.Report(runtext::kOutputConflict, std::string(runtext::kOutputTwice) +
                                                              "\n\n" + FullPath(*other.name) +
                                                              "\n" + FullPath(*name));
                return false;
            }
        }
        out.push_back(o);
    }
    return true;
}

// Whether a value prints within `width` columns with `decimals` decimals.
bool FitsFixed(double value, int width, int decimals) {
    if (!std::isfinite(value)) return false;
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return n > 0 && n <= width;
}

// The calendar date a GPS week starts on, for messages.
std::string WeekDate(long week) {
    std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double seconds = 0.0;
    GpsTimeToCalendar(static_cast<std::int32_t>(week), 0.0, year, month, day, hour, minute,
                      seconds);
    return Format("%04d-%02d-%02d", static_cast<int>(year), static_cast<int>(month),
                  static_cast<int>(day));
}

}  // namespace

std::string FileProblem(std::string_view text, const std::string& name, const std::string& reason) {
    std::string out(text);
    out += "\n\n";
    out += FullPath(name);
    if (!reason.empty()) out += ": " + reason;
    return out;
}

RunFileSet::~RunFileSet() {
    CloseRunFiles(*this);
}

bool CloseRunFiles(RunFileSet& files, std::vector<std::string>* /*failedOutputs*/) {
    CloseRunFile(files.BFile);
    CloseRunFile(files.EFile);
    // The E-file reader keeps the closed file and its index: a later job without an E-file
    // must not hand out this job's records.
    files.NavReader = EFileReader{};
    CloseRunFile(files.SFile);
    ForgetSiteRecord(files.Site);
    CloseRunFile(files.IonFile);
    ClearIonRecord(files.Ion);
    CloseRunFile(files.MetInFile);
    // Outputs that were not published never reach their final names.
    for (OutputFile* out : {&files.ObsFile, &files.NavFile, &files.NavGFile, &files.MetOutFile})
        DiscardOutput(*out);
    files.Pieces.clear();
    return true;
}

bool PublishRunOutputs(RunFileSet& files, ProblemSink& problems) {
    std::string failed;
    std::string reason;
    std::vector<OutputFile*> outputs = {&files.ObsFile, &files.NavFile, &files.NavGFile,
                                        &files.MetOutFile};
    for (const auto& piece : files.Pieces)
        outputs.insert(outputs.end(), {&piece->obs, &piece->nav, &piece->navG});
    if (PublishOutputs(outputs, failed, reason)) return true;
    problems.Report("File Write Error",
                    FileProblem("Cannot write the output file: the disk may be full or the file "
                                "too large.",
                                failed, reason));
    return false;
}

bool PrepareObsRun(RunFileSet& files, ProblemSink& problems, const std::string& bFileName,
                   const std::string& eFileName, const std::string& navGFileName,
                   const std::string& navFileName, const std::string& obsFileName,
                   const std::string& ionFileName, const std::string& sFileName) {
    using namespace runtext;
    CloseRunFiles(files);
    const auto fail = [&](std::string_view text, std::string_view title) {
        problems.Report(title, text);
        CloseRunFiles(files);
        return false;
    };
    std::string reason;
    const auto failOpen = [&](std::string_view text, const std::string& name) {
        return fail(FileProblem(text, name, reason), kFileOpenError);
    };

    if (bFileName.empty()) return fail(kNoBFile, kMinimumFiles);
    // A B-file that is not there is the problem to name, whatever else the job lacks.
    if (!OpenRunFile(files.BFile, bFileName, "rb", reason))
        return failOpen(kCannotOpenBFile, bFileName);
    if (obsFileName.empty() && navFileName.empty()) return fail(kNoOutput, kNoOperation);
    if (!navGFileName.empty() && ionFileName.empty()) return fail(kGlonassNeedsIon, kNoOperation);

    // Every input is opened and checked before any output is created.
    if (!ionFileName.empty()) {
        if (!OpenRunFile(files.IonFile, ionFileName, "rb", reason))
            return failOpen(kCannotOpenIon, ionFileName);
        if (!ReadIonFile(files.Ion, files.IonFile.file))
            return fail(FileProblem(kCannotReadIon, ionFileName, ReadReason(files.IonFile)),
                        kErrorReadingFile);
    }
    if (!sFileName.empty()) {
        if (!OpenRunFile(files.SFile, sFileName, "r", reason))
            return failOpen(kCannotOpenSite, sFileName);
        std::string why;
        if (!ReadSiteFile(files.Site, files.SFile.file, &why)) {
            const std::string cause = why.empty() ? ReadReason(files.SFile) : why;
            return fail(FileProblem(kCannotReadSite, sFileName, cause), kErrorReadingFile);
        }
    }

    if (!files.ObsReader.Open(files.BFile.file, true, true)) {
        const auto failB = [&](std::string_view text) {
            return fail(FileProblem(text, bFileName, ReadReason(files.BFile)), kErrorReadingBFile);
        };
        switch (files.ObsReader.TakeError()) {
            case kObsNoHeader:
                return failB(kNoBFileHeader);
            case kObsNotBFile:
                return failB(kNotBFile);
            case kObsBadVersion:
                return failB(kBadBFileVersion);
            default:
                return failB(kBFileReadFailure);
        }
    }
    const BFileReader& obs = files.ObsReader;
    if (obs.LastEpochIndex() < 0)
        return fail(FileProblem(kBFileNoEpoch, bFileName), kErrorReadingBFile);
    if (obs.DamagedBytes() * 2 > obs.BodyBytes())
        return fail(FileProblem(kBFileMostlyDamaged, bFileName), kErrorReadingBFile);
    if (obs.DamagedStretches() > 0) {
        problems.Report(
            kBFileWarning,
            FileProblem(Format("%ld damaged stretch(es) of the B-File (%lld bytes) were skipped; "
                               "the first begins at byte offset %lld.",
                               static_cast<long>(obs.DamagedStretches()),
                               static_cast<long long>(obs.DamagedBytes()),
                               static_cast<long long>(obs.FirstDamageOffset())),
                        bFileName));
    }

    const long headerWeek = obs.Header().Week();
    if (!eFileName.empty()) {
        if (!OpenRunFile(files.EFile, eFileName, "rb", reason))
            return failOpen(kCannotOpenEFile, eFileName);
        if (!files.NavReader.Open(files.EFile.file))
            return fail(FileProblem(kCannotReadEFile, eFileName, ReadReason(files.EFile)),
                        kErrorReadingFile);
        const long startWeek = files.NavReader.StartWeek;
        const long endWeek = files.NavReader.EndWeek;
        if (endWeek - startWeek > kMaxNavWeekSpan) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "\nStart Week is %ld and End Week is %ld.\n\nContinuing anyway\n",
                          startWeek, endWeek);
            problems.Report(kNavFileWarning, "Large time span in Nav file " + eFileName + text);
        }
        // The E-file's week dates the observations; a B-file week that disagrees by more than
        // a week (and is not the receiver's 1024-week roll-over) means the two files may not
        // belong together.
        const long apart = std::labs(startWeek - headerWeek);
        if (headerWeek > 0 && startWeek >= 0 && apart > 1 && std::labs(apart % 1024) > 1 &&
            std::labs(apart % 1024 - 1024) > 1) {
            problems.Report(
                kWeekWarning,
                Format("The E-File starts in GPS week %ld (%s) but the B-File header says week "
                       "%ld (%s). The E-File's week dates the observations; check that the two "
                       "files belong to one session.\n\n",
                       startWeek, WeekDate(startWeek).c_str(), headerWeek,
                       WeekDate(headerWeek).c_str()) +
                    FullPath(eFileName) + "\n" + FullPath(bFileName));
        }
    } else if (headerWeek > 0) {
        // The observations date themselves; the navigation time span stays unknown.
        files.NavReader.StartWeek = -1;
        files.NavReader.EndWeek = -1;
        files.NavReader.StartSeconds = -1.0;
        files.NavReader.EndSeconds = -1.0;
    } else {
        return fail(kNoGpsWeek, kGpsWeekError);
    }

    if (!OutputsStandAlone({&bFileName, &eFileName, &ionFileName, &sFileName},
                           {&obsFileName, &navFileName, &navGFileName}, problems)) {
        CloseRunFiles(files);
        return false;
    }
    if (!obsFileName.empty() && !CreateOutput(files.ObsFile, obsFileName, reason))
        return failOpen(kCannotOpenObs, obsFileName);
    if (!navFileName.empty() && !CreateOutput(files.NavFile, navFileName, reason))
        return failOpen(kCannotOpenNav, navFileName);
    if (!navGFileName.empty() && !CreateOutput(files.NavGFile, navGFileName, reason))
        return failOpen(kCannotOpenNavG, navGFileName);
    return true;
}

bool PrepareMetRun(RunFileSet& files, ProblemSink& problems, const std::string& metInFileName,
                   const std::string& metOutFileName) {
    using namespace runtext;
    CloseRunFiles(files);
    const auto fail = [&](const std::string& text, std::string_view title) {
        problems.Report(title, text);
        CloseRunFiles(files);
        return false;
    };
    if (metInFileName.empty()) return fail(std::string(kNoMetInput), kMinimumFiles);
    if (metOutFileName.empty()) return fail(std::string(kNoMetOutput), kMinimumFiles);
    std::string reason;
    if (!OpenRunFile(files.MetInFile, metInFileName, "r", reason))
        return fail(FileProblem(kCannotOpenMetIn, metInFileName, reason), kFileOpenError);
    if (!OutputsStandAlone({&metInFileName}, {&metOutFileName}, problems)) {
        CloseRunFiles(files);
        return false;
    }
    if (!CreateOutput(files.MetOutFile, metOutFileName, reason))
        return fail(FileProblem(kCannotOpenMetOut, metOutFileName, reason), kFileOpenError);
    return true;
}

bool CheckHeaderFields(const RunFileSet& files, ProblemSink& problems) {
    const auto refuse = [&](const char* field, double value, const std::string& source) {
        problems.Report(runtext::kFieldTooWide,
                        Format("The value %g of %s does not fit its RINEX field; nothing was "
                               "written.\n\n",
                               value, field) +
                            source);
        return false;
    };
    if (files.ObsFile.IsOpen()) {
        const ObsHeaderRecord& h = files.ObsHeader;
        const std::string site = files.Site.loaded != 0 ? FullPath(files.SFile.name)
                                                        : std::string("the header settings");
        const struct {
            const char* field;
            double value;
            const std::string& source;
        } fields[] = {
            {"ANTENNA: DELTA H", AntennaHeight(h), site},
            {"ANTENNA: DELTA E", h.antennaEast, site},
            {"ANTENNA: DELTA N", h.antennaNorth, site},
        };
        for (const auto& f : fields)
            if (!FitsFixed(f.value, 14, 4)) return refuse(f.field, f.value, f.source);
        const std::string position = FullPath(files.BFile.name) + " or the header settings";
        for (double v : {h.approxX, h.approxY, h.approxZ})
            if (!FitsFixed(v, 14, 4)) return refuse("APPROX POSITION XYZ", v, position);
    }
    if (files.Ion.loaded != 0) {
        const std::string ion = FullPath(files.IonFile.name);
        const int leap = files.Ion.LeapSeconds();
        // GPS time ran 18 s ahead of UTC in 2017; a count outside 0..99 is no leap-second count.
        if (leap < 0 || leap > 99) return refuse("LEAP SECONDS", leap, ion);
        const NavHeaderRecord& n = files.NavHeader;
        for (double v : {n.alpha[0], n.alpha[1], n.alpha[2], n.alpha[3], n.beta[0], n.beta[1],
                         n.beta[2], n.beta[3], n.a0, n.a1})
            if (!std::isfinite(v) || std::fabs(v) >= 1e99)
                return refuse("ION ALPHA/BETA or DELTA-UTC", v, ion);
    }
    if (files.MetOutFile.IsOpen()) {
        const MetHeaderRecord& m = files.MetHeader;
        const std::string settings = "the met header settings";
        for (double v : {m.prAccuracy, m.tdAccuracy, m.hrAccuracy})
            if (!FitsFixed(v, 7, 1)) return refuse("SENSOR MOD/TYPE/ACC", v, settings);
        for (double v : {m.prX, m.prY, m.prZ, m.tdX, m.tdY, m.tdZ, m.hrX, m.hrY, m.hrZ})
            if (!FitsFixed(v, 14, 4)) return refuse("SENSOR POS XYZ/H", v, settings);
    }
    return true;
}

}  // namespace kelvrant
