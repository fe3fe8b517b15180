// Opening and closing the files of a conversion run (see RunFiles.h).
#include "run/RunFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "run/ConversionJob.h"
#include "run/OutputNames.h"

namespace kelvrant {

namespace {

// A problem about a file: the text, an empty line and the file's name.
std::string WithFileName(std::string_view text, const std::string& name) {
    std::string out(text);
    out += "\n\n";
    out += name;
    return out;
}

bool OpenRunFile(RunFile& f, const std::string& name, const char* mode) {
    f.name = name;
    f.file = std::fopen(name.c_str(), mode);
    return f.file != nullptr;
}

// Outputs are written in large pieces: a day of 1-second epochs is tens of megabytes, and the
// default buffer of a few kilobytes would cost a system call every few epochs.
constexpr std::size_t kOutputBufferSize = std::size_t{256} << 10;

bool OpenOutputFile(RunFile& f, const std::string& name) {
    if (!OpenRunFile(f, name, "w+b")) return false;
    f.buffer = std::make_unique<char[]>(kOutputBufferSize);
    if (std::setvbuf(f.file, f.buffer.get(), _IOFBF, kOutputBufferSize) != 0) f.buffer.reset();
    return true;
}

// Closes the file; false when the close (with its final flush) failed.
bool CloseRunFile(RunFile& f) {
    if (!f.file) return true;
    const bool ok = std::fclose(f.file) == 0;
    f.file = nullptr;
    f.buffer.reset();
    return ok;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

enum class ScratchLock { Taken, Busy, Gone, Unusable };

// Takes the lock of an open scratch file and checks that the name still leads to it: a run
// that ends deletes its file while it holds the lock, so a file that was unlocked but is no
// longer at its name is gone.
ScratchLock LockScratch(int fd, const std::string& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? ScratchLock::Busy : ScratchLock::Unusable;
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) return ScratchLock::Unusable;
    if (::lstat(path.c_str(), &named) != 0 || !SameFile(opened, named)) return ScratchLock::Gone;
    return ScratchLock::Taken;
}

}  // namespace

std::FILE* CreateScratchFile(const std::string& directory, std::string& path) {
    constexpr int kFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    for (int n = 1; n <= 99; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "%s.~%02d", kProgramName, n);
        const std::string candidate = directory + name;
        // A few rounds per name: the file may vanish or appear between the calls.
        for (int attempt = 0; attempt < 3; ++attempt) {
            int fd = ::open(candidate.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
            if (fd < 0 && errno != EEXIST) return nullptr;  // the directory takes no new file
            const bool created = fd >= 0;
            if (!created) {
                fd = ::open(candidate.c_str(), kFlags);
                if (fd < 0) {
                    if (errno == ENOENT) continue;  // removed meanwhile: create it again
                    break;                          // not ours to use: next name
                }
            }
            const ScratchLock lock = LockScratch(fd, candidate);
            if (lock != ScratchLock::Taken) {
                ::close(fd);
                if (lock == ScratchLock::Gone) continue;  // try this name again
                break;  // a live run holds it, or it is no scratch file: next name
            }
            // A leftover of a run that ended without deleting it is emptied and reused.
            if (!created && ::ftruncate(fd, 0) != 0) {
                ::close(fd);
                break;
            }
            std::FILE* file = ::fdopen(fd, "w+b");
            if (!file) {
                ::unlink(candidate.c_str());
                ::close(fd);
                return nullptr;
            }
            path = candidate;
            return file;
        }
    }
    return nullptr;
}

RunFileSet::~RunFileSet() {
    CloseRunFiles(*this);
}

bool CloseRunFiles(RunFileSet& files, std::vector<std::string>* failedOutputs) {
    CloseRunFile(files.BFile);
    if (files.ScratchFile.IsOpen()) {
        // Deleted while still locked, so no other run can take the name of a file that is
        // about to disappear.
        ::unlink(files.ScratchFile.name.c_str());
        CloseRunFile(files.ScratchFile);
    }
    CloseRunFile(files.EFile);
    // The E-file reader keeps the closed file and its index: a later job without an E-file
    // must not hand out this job's records.
    files.NavReader = EFileReader{};
    CloseRunFile(files.SFile);
    ForgetSiteRecord(files.Site);
    CloseRunFile(files.IonFile);
    ClearIonRecord(files.Ion);
    CloseRunFile(files.MetInFile);

    bool ok = true;
    for (RunFile* out : {&files.ObsFile, &files.NavFile, &files.NavGFile, &files.MetOutFile}) {
        if (!CloseRunFile(*out)) {
            ok = false;
            if (failedOutputs) failedOutputs->push_back(out->name);
        }
    }
    return ok;
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
    const auto failOpen = [&](std::string_view text, const std::string& name) {
        return fail(WithFileName(text, name), kFileOpenError);
    };

    if (bFileName.empty()) return fail(kNoBFile, kMinimumFiles);
    if (obsFileName.empty() && navFileName.empty()) return fail(kNoOutput, kNoOperation);
    if (!navGFileName.empty() && ionFileName.empty()) return fail(kGlonassNeedsIon, kNoOperation);

    if (!obsFileName.empty() && !OpenOutputFile(files.ObsFile, obsFileName))
        return failOpen(kCannotOpenObs, obsFileName);
    if (!navFileName.empty() && !OpenOutputFile(files.NavFile, navFileName))
        return failOpen(kCannotOpenNav, navFileName);
    if (!navGFileName.empty() && !OpenOutputFile(files.NavGFile, navGFileName))
        return failOpen(kCannotOpenNavG, navGFileName);

    if (!ionFileName.empty()) {
        if (!OpenRunFile(files.IonFile, ionFileName, "rb"))
            return failOpen(kCannotOpenIon, ionFileName);
        if (!ReadIonFile(files.Ion, files.IonFile.file))
            return fail(WithFileName(kCannotReadIon, ionFileName), kErrorReadingFile);
    }
    if (!sFileName.empty()) {
        if (!OpenRunFile(files.SFile, sFileName, "r")) return failOpen(kCannotOpenSite, sFileName);
        if (!ReadSiteFile(files.Site, files.SFile.file))
            return fail(WithFileName(kCannotReadSite, sFileName), kErrorReadingFile);
    }

    if (!OpenRunFile(files.BFile, bFileName, "rb")) return failOpen(kCannotOpenBFile, bFileName);
    std::string scratchName;
    files.ScratchFile.file = CreateScratchFile(SplitPath(bFileName).directory, scratchName);
    files.ScratchFile.name = scratchName;
    if (!files.ScratchFile.IsOpen()) return fail(kCannotOpenScratch, kFileOpenError);

    if (!files.ObsReader.Open(files.BFile.file, true, files.ScratchFile.file, true)) {
        switch (files.ObsReader.TakeError()) {
            case kObsNoHeader:
                return fail(kNoBFileHeader, kErrorReadingBFile);
            case kObsNotBFile:
                return fail(kNotBFile, kErrorReadingBFile);
            case kObsBadVersion:
                return fail(kBadBFileVersion, kErrorReadingBFile);
            case kObsFileTooLarge:
                return fail(kBFileTooLarge, kErrorReadingBFile);
            case kObsIndexWriteFailed:
                // The index goes to disk; a full disk must not pass as a damaged B-file.
                return fail(WithFileName(kCannotWriteScratch, files.ScratchFile.name),
                            kErrorReadingBFile);
            default:
                return fail(kBFileReadFailure, kErrorReadingBFile);
        }
    }

    if (!eFileName.empty()) {
        if (!OpenRunFile(files.EFile, eFileName, "rb"))
            return failOpen(kCannotOpenEFile, eFileName);
        if (!files.NavReader.Open(files.EFile.file))
            return fail(WithFileName(kCannotReadEFile, eFileName), kErrorReadingFile);
        const long startWeek = files.NavReader.StartWeek;
        const long endWeek = files.NavReader.EndWeek;
        if (endWeek - startWeek > kMaxNavWeekSpan) {
            char text[96];
            std::snprintf(text, sizeof text,
                          "\nStart Week is %ld and End Week is %ld.\n\nContinuing anyway\n",
                          startWeek, endWeek);
            problems.Report(kNavFileWarning, "Large time span in Nav file " + eFileName + text);
        }
        return true;
    }

    if (files.ObsReader.Header().Week() > 0) {
        // The observations date themselves; the navigation time span stays unknown.
        files.NavReader.StartWeek = -1;
        files.NavReader.EndWeek = -1;
        files.NavReader.StartSeconds = -1.0;
        files.NavReader.EndSeconds = -1.0;
        return true;
    }
    return fail(kNoGpsWeek, kGpsWeekError);
}

bool PrepareMetRun(RunFileSet& files, ProblemSink& problems, const std::string& metInFileName,
                   const std::string& metOutFileName) {
    using namespace runtext;
    CloseRunFiles(files);
    const auto fail = [&](std::string_view text, std::string_view title) {
        problems.Report(title, text);
        CloseRunFiles(files);
        return false;
    };
    if (metInFileName.empty()) return fail(kNoMetInput, kMinimumFiles);
    if (metOutFileName.empty()) return fail(kNoMetOutput, kMinimumFiles);
    if (!OpenRunFile(files.MetInFile, metInFileName, "r"))
        return fail(WithFileName(kCannotOpenMetIn, metInFileName), kFileOpenError);
    if (!OpenOutputFile(files.MetOutFile, metOutFileName))
        return fail(WithFileName(kCannotOpenMetOut, metOutFileName), kFileOpenError);
    return true;
}

}  // namespace kelvrant
