// The conversion worker body and the unattended starts (see ConversionWorker.h).
#include "run/ConversionWorker.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "ashtech/MetLogReader.h"
#include "convert/EpochConverter.h"
#include "geo/TimeConstants.h"
#include "qc/QualityCheck.h"
#include "rinex/GlonassNavWriter.h"
#include "rinex/GpsNavWriter.h"
#include "rinex/LineWriter.h"
#include "rinex/MetWriter.h"
#include "rinex/ObsWriter.h"
#include "rinex/Rinex3MetWriter.h"
#include "rinex/Rinex3NavWriter.h"
#include "rinex/Rinex3ObsWriter.h"
#include "rinex/TextSink.h"
#include "run/EditedOutput.h"
#include "run/EpochBlocks.h"
#include "run/HeaderFill.h"
#include "run/LongNames.h"
#include "run/OutputChain.h"
#include "run/OutputNames.h"
#include "run/OutputPath.h"
#include "run/OutputTransaction.h"
#include "run/SiteLogFill.h"

namespace kelvrant {
namespace {

bool FitsMetField(double value) {
    return std::isfinite(value) && value > -99999.95 && value < 999999.95;
}

// RINEX 2: the GPS and the GLONASS navigation file. RINEX 3: one mixed navigation file of
// both systems, written when every record is in (its header dates the GLONASS correction);
// the frequency channels of its GLONASS records go to the observation header. The quality
// check sees every record; a run that only checks writes no RINEX.
bool NavigationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                     const ProgressState& stop, const WriterOptions& options,
                     GlonassChannels& channels, qc::QualityCheck* check) {
    const OutputFormat& format = job.Format;
    const bool gpsOpen = files.NavFile.IsOpen() && !job.Qc.only;
    const bool gloOpen = files.NavGFile.IsOpen() && !job.Qc.only;
    // RINEX 3 observation headers list the GLONASS frequency channels of the ephemerides.
    const bool channelsWanted = format.rinexVersion == 3 && files.ObsFile.IsOpen();
    if (!gpsOpen && !gloOpen && check == nullptr && !(channelsWanted && files.EFile.IsOpen()))
        return true;
    const UtcTime created = NowUtc(options.clock);
    OutputPath gpsPath(files.NavFile, format, false, created);
    OutputPath glonassPath(files.NavGFile, format, false, created);
    AshNavRecord record;
    if (format.rinexVersion == 3) {
        Rinex3NavWriter mixed(gpsPath.Top(), {std::string(options.programName), created});
        while (!stop.StopRequested() && files.NavReader.NextRecord(record) != 0) {
            if (check != nullptr) check->AddNavigation(record);
            mixed.Add(record);
        }
        if (gpsOpen) mixed.Finish(files.NavHeader);
        channels = mixed.Channels();
    } else {
        GpsNavWriter gps(gpsPath.Top(), options);
        GlonassNavWriter glonass(glonassPath.Top(), options);
        if (gpsOpen) gps.WriteHeader(files.NavHeader);
        if (gloOpen) glonass.SetHeader(files.NavHeader);
        while (!stop.StopRequested() && files.NavReader.NextRecord(record) != 0) {
            if (check != nullptr) check->AddNavigation(record);
            if (record.IsGps()) {
                if (gpsOpen) gps.WriteRecord(record);
            } else if (gloOpen) {
                glonass.WriteRecord(record);
            }
        }
        if (gloOpen) glonass.Finish();
    }
    return FinishOutput(problems, gpsPath) && FinishOutput(problems, glonassPath);
}

void Publish(ProgressState& progress, const WorkerOptions& options, double percent) {
    progress.Publish(percent);
    if (options.progressObserver) options.progressObserver(percent);
}

// Publishes a percentage only when it differs from the last one: the number shown changes a
// hundred times a run, and a lock and a call for every epoch of a day add up to milliseconds.
struct NewPercent {
    ProgressState& progress;
    const WorkerOptions& options;
    double shown = -1.0;
    void operator()(double percent) {
        if (percent == shown) return;
        shown = percent;
        Publish(progress, options, percent);
    }
};

bool ObservationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                      ProgressState& progress, const WorkerOptions& options,
                      const WriterOptions& writerOptions, const GlonassChannels& channels) {
    qc::QualityCheck* check = options.qualityCheck;
    if (job.Editing.Active() && files.ObsFile.IsOpen()) {
        return EditedObservationStage(job, files, problems, progress, NewPercent{progress, options},
                                      writerOptions, channels, check);
    }
    // A run that only checks writes no RINEX; the check sees the epochs the file would hold.
    const bool write = files.ObsFile.IsOpen() && !job.Qc.only;
    if (!write && check == nullptr) return true;
    OutputPath path(files.ObsFile, job.Format, true, NowUtc(writerOptions.clock));
    EpochWriter writer(path.Top(), writerOptions, job.Format, files.ObsReader.Header(), channels);
    if (write) writer.WriteHeader(files.ObsHeader);
    EpochConverter converter(ConvertOptionsFor(job, files.ObsReader.Header(), files.ObsHeader));
    const std::int32_t n = files.ObsReader.LastEpochIndex() + 1;
    // One set of buffers for the whole run: bytes of a slot beyond the blocks a file holds keep
    // what they held before, exactly as the reader leaves them.
    EpochRecord epoch;
    auto satellites = std::make_unique<SatelliteSlots>();
    auto converted = std::make_unique<ObservationEpoch>();
    // Formatting, the most of a run's work, goes to other threads when there are cores for it.
    std::optional<EpochBlocks> blocks;
    const auto makeWriter = [&](TextSink& sink) -> EpochFormatter {
        auto own = std::make_shared<EpochWriter>(sink, writerOptions, job.Format,
                                                 files.ObsReader.Header(), channels);
        own->Prepare(files.ObsHeader);
        return [own](const ObservationEpoch& e) { own->WriteEpoch(e); };
    };
    // With the formatting on other threads the check runs on the writing one, off the path of
    // the conversion: it sees the same epochs in the same order.
    EpochFormatter checkBlocks;
    if (check != nullptr) checkBlocks = [check](const ObservationEpoch& e) { check->AddEpoch(e); };
    if (const int threads = EpochFormatThreads(); write && threads > 0)
        blocks.emplace(path.Top(), threads, makeWriter, ::fileno(files.ObsFile.file),
                       std::move(checkBlocks));
    NewPercent publish{progress, options};
    for (std::int32_t i = 0; i < n; ++i) {
        if (progress.StopRequested()) break;
        publish(std::trunc(100.0 * (i + 1) / n + 0.5));
        if (files.ObsReader.ReadEpoch(i, epoch, *satellites) == 0) continue;
        ObservationEpoch& out = blocks ? blocks->Next() : *converted;
        converter.Convert(epoch, *satellites, out);
        if (check != nullptr && !blocks) check->AddEpoch(out);
        if (!write) continue;
        if (blocks) {
            blocks->Commit();
            if (blocks->Failed()) break;
            continue;
        }
        writer.WriteEpoch(out);
        if (path.Failed()) break;
    }
    if (blocks) blocks->Finish();
    return !write || FinishOutput(problems, path);
}

bool MetStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
              ProgressState& progress, const WorkerOptions& options,
              const WriterOptions& writerOptions) {
    if (!files.MetOutFile.IsOpen()) return true;
    MetLogReader reader;
    const UtcTime created = NowUtc(writerOptions.clock);
    OutputPath path(files.MetOutFile, job.Format, false, created);
    const bool rinex3 = job.Format.rinexVersion == 3;
    MetWriter writer(path.Top(), writerOptions);
    Rinex3MetWriter writer3(path.Top(), {std::string(writerOptions.programName), created});
    if (rinex3)
        writer3.WriteHeader(files.MetHeader);
    else
        writer.WriteHeader(files.MetHeader);
    long length = 0;
    if (files.MetInFile.IsOpen()) {
        std::fseek(files.MetInFile.file, 0, SEEK_END);
        length = std::ftell(files.MetInFile.file);
        std::fseek(files.MetInFile.file, 0, SEEK_SET);
    }
    reader.Start(files.MetInFile.file, job.MetStartWeek, job.MetStartSeconds, job.MetUtcToGps);
    int error = 0;
    std::int32_t line = 0;
    std::string name;
    std::int32_t week = 0;
    double seconds = 0.0;
    double pressure = 0.0;
    double temperature = 0.0;
    double humidity = 0.0;
    bool ok = true;
    long records = 0;
    while (!progress.StopRequested() &&
           reader.NextRecord(error, line, name, kMetNameBufferSize, week, seconds, pressure,
                             temperature, humidity) != 0) {
        // A reading the met line's F7.1 cannot hold would run into its neighbour.
        const char* wide = !FitsMetField(pressure)      ? "pressure (PR)"
                           : !FitsMetField(temperature) ? "temperature (TD)"
                           : !FitsMetField(humidity)    ? "humidity (HR)"
                                                        : nullptr;
        if (wide != nullptr) {
            problems.Report(runtext::kFieldTooWide,
                            FileProblem(Format("At line %ld the %s reading does not fit its "
                                               "RINEX field; nothing was written.",
                                               static_cast<long>(line), wide),
                                        files.MetInFile.name));
            ok = false;
            break;
        }
        ++records;
        if (rinex3)
            writer3.WriteRecord(week, seconds, pressure, temperature, humidity);
        else
            writer.WriteRecord(week, seconds, pressure, temperature, humidity);
        const long position = reader.InputPosition();
        Publish(progress, options,
                length > 0
                    ? std::trunc(
                          100.0 * static_cast<double>(position) / static_cast<double>(length) + 0.5)
                    : 100.0);
        if (path.Failed()) break;
    }
    if (!FinishOutput(problems, path)) return false;
    if (ok && error != 0) {
        problems.Report(runtext::kMetErrorTitle,
                        Format("At line %ld the Met. file reader reports:\n\n  %s",
                               static_cast<long>(line), MetErrorText(error)));
        if (options.pauseAfterMetError)
            std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        ok = false;
    }
    if (ok && error == 0 && records == 0 && !progress.StopRequested()) {
        problems.Report(runtext::kMetErrorTitle,
                        FileProblem(runtext::kNoMetRecord, files.MetInFile.name));
        ok = false;
    }
    return ok;
}

}  // namespace

void UseLongNames(ConversionJob& job, RunFileSet& files) {
    const OutputFormat& format = job.Format;
    if (!job.ObsNamesAutomatic || format.rinexVersion != 3 || !format.LongNames()) return;
    const ObsHeaderRecord& obs = files.ObsHeader;
    const StationNaming station{obs.markerName, format.monument, format.receiverIndex,
                                format.country};
    const double interval = files.ObsReader.EpochInterval();
    SessionSpan span{obs.firstWeek, obs.firstSeconds, 0.0, interval};
    if (obs.lastPresent != 0)
        span.lengthSeconds = (obs.lastWeek - obs.firstWeek) * kSecondsPerWeek + obs.lastSeconds -
                             obs.firstSeconds + interval;
    // Not published yet: only the final names change, in the same folder.
    const auto rename = [](OutputFile& out, std::string& jobName, const std::string& name) {
        if (jobName.empty()) return;
        jobName = SplitPath(jobName).directory + name;
        if (out.IsOpen()) out.name = jobName;
    };
    rename(files.ObsFile, job.ObsFileName,
           LongFileName(station, span, obs.systemLetter, LongNameContent::kObservation,
                        format.compact, format.gzip));
    rename(files.NavFile, job.NavFileName,
           LongFileName(station, span, obs.systemLetter, LongNameContent::kNavigation, false,
                        format.gzip));
}

ConvertOptions ConvertOptionsFor(const ConversionJob& job, const BFileHeader& bfile,
                                 const ObsHeaderRecord& header) {
    ConvertOptions options;
    options.dataType = bfile.DataType();
    options.signalClass = SignalClassOf(bfile.ReceiverType());
    options.smoothing = job.SmoothCode;
    options.clockAdjustment = job.ClockAdjust;
    options.siteChanges = job.SiteChanges;
    for (int o = 0; o < kObservableCount; ++o)
        options.observables[static_cast<std::size_t>(o)] =
            header.obsTypes[static_cast<std::size_t>(o)] != 0;
    options.firstWeek = header.firstWeek;
    options.firstSeconds = header.firstSeconds;
    return options;
}

bool StartObsAutoRun(ConversionJob& job, RunFileSet& files, const HeaderSettings& settings,
                     ProblemSink& problems) {
    if (!job.ObsRun) return false;
    job.SaveConfigOnExit = false;
    // With every GLONASS satellite excluded there is nothing for a GLONASS navigation file.
    if (job.Editing.ExcludesAllGlonass()) job.NavGFileName.clear();
    if (job.NavGAutoNamed && !job.NavGFileName.empty() && job.IonFileName.empty()) {
        // Only a GLONASS navigation file the user asked for is worth failing the run over.
        problems.Report(runtext::kNavFileWarning,
                        std::string(runtext::kGlonassNavSkipped) + "\n\n" + job.NavGFileName);
        job.NavGFileName.clear();
    }
    {
        // The file this run replaces lets go of its cached pages on another core while the
        // inputs are read, rather than all at once when the new file is renamed over it.
        // Only a hint: without a thread to spare, the rename frees them as before.
        std::jthread forget;
        if (!job.Qc.only && job.Editing.split == SplitUnit::kNone) {
            try {
                forget = std::jthread([name = job.ObsFileName] { ForgetCachedPages(name); });
            } catch (const std::system_error&) {
            }
        }
        if (!PrepareObsRun(files, problems, job.BFileName, job.EFileName, job.NavGFileName,
                           job.NavFileName, job.ObsFileName, job.IonFileName, job.SFileName))
            return false;
    }
    ObsHeaderRecord& obs = files.ObsHeader;
    NavHeaderRecord& nav = files.NavHeader;
    obs = ObsHeaderRecord{};
    nav = NavHeaderRecord{};
    FillHeaderTexts(settings, obs, nav);
    const HeaderOverrides& given = job.Overrides;
    if (given.intervalLine) obs.intervalPresent = *given.intervalLine ? 1 : 0;
    if (given.obsCounts) obs.satelliteListPresent = *given.obsCounts ? 1 : 0;

    // A parameter file's receiver type stands unless an S-file supplies one.
    const bool keepReceiverType = job.AutoParamMode && !files.SFile.IsOpen();
    const std::string savedType = obs.receiverType;
    FillObsHeader(obs, files.ObsReader, &files.NavReader, &files.Site, &files.Ion);
    if (keepReceiverType) obs.receiverType = savedType;

    SetObservationTypes(obs, files.ObsReader.Header().DataType(),
                        !given.doppler.value_or(settings.AllowDoplr != 0));
    const std::array<double, 3> dataPosition = {obs.approxX, obs.approxY, obs.approxZ};
    if (settings.ApproxPosUseData == 0) {
        obs.approxX = settings.ApproxPos[0];
        obs.approxY = settings.ApproxPos[1];
        obs.approxZ = settings.ApproxPos[2];
    }
    if (files.Site.loaded == 0) {
        obs.antennaNorth = settings.AntOffsets[0];
        obs.antennaEast = settings.AntOffsets[1];
        obs.antennaSlant = settings.AntOffsets[2];
        obs.antennaRadius = settings.AntOffsets[3];
        obs.antennaDeltaVertical = settings.AntOffsets[4];
    }
    // The station's site log outranks the S-file and the configuration; values given on the
    // command line are applied after it.
    const std::string& siteLogs = job.SiteLogDir.empty() ? settings.SiteLogDir : job.SiteLogDir;
    if (!siteLogs.empty()) ApplySiteLog(siteLogs, files, problems);
    ApplyObsOverrides(given, dataPosition, obs);

    CopyIonToNavHeader(nav, files.Ion);
    ApplyNavOverrides(given, nav);
    UseLongNames(job, files);
    return true;
}

bool StartMetAutoRun(ConversionJob& job, RunFileSet& files, const HeaderSettings& settings,
                     ProblemSink& problems) {
    if (!job.MetRun) return false;
    job.SaveConfigOnExit = false;
    if (!PrepareMetRun(files, problems, job.MetInFileName, job.MetOutFileName)) return false;
    FillMetHeaderFromSettings(settings, files.MetHeader);
    ApplyMetOverrides(job.Overrides, files.MetHeader);
    job.MetUtcToGps = settings.MetUtc2Gps;
    return true;
}

bool RunConversionWorker(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                         ProgressState& progress, const WorkerOptions& options) {
    const SystemClock systemClock;
    const WriterOptions writerOptions{kProgramName,
                                      options.clock != nullptr ? *options.clock : systemClock};
    // Archives refuse a blank MARKER NAME; the download's own name knows the site. (Also for
    // a run from the windows, whose header window may have left the name empty.)
    if (files.ObsFile.IsOpen() && files.ObsHeader.markerName.empty())
        files.ObsHeader.markerName = SiteFromBFileName(files.BFile.name);
    bool ok = CheckHeaderFields(files, problems);
    if (job.Editing.ExcludesAllGlonass()) DropOutput(files.NavGFile);
    // A split run learns its pieces from the observations, then writes their navigation files.
    const bool split = job.Editing.split != SplitUnit::kNone && files.ObsFile.IsOpen();
    GlonassChannels channels;
    std::vector<AshNavRecord> splitRecords;
    if (ok && split)
        splitRecords = ReadSplitNavigation(job, files, progress, channels, options.qualityCheck);
    else if (ok)
        ok = NavigationStage(job, files, problems, progress, writerOptions, channels,
                             options.qualityCheck);
    if (ok) ok = ObservationStage(job, files, problems, progress, options, writerOptions, channels);
    if (ok && split && !job.Qc.only)
        ok = SplitNavigationStage(job, files, problems, writerOptions, splitRecords);
    if (ok) ok = MetStage(job, files, problems, progress, options, writerOptions);
    if (ok && progress.StopRequested()) {
        // Half a conversion is never published: every final name keeps what it held.
        problems.Report(runtext::kCancelledTitle, runtext::kCancelled);
        ok = false;
    }
    // Outputs appear under their final names only after everything was written.
    // A run that only checks publishes nothing: the outputs' temporaries go at the close.
    ok = ok ? (job.Qc.only || PublishRunOutputs(files, problems)) : false;
    if (!ok) CloseRunFiles(files);
    progress.SetDone();
    return ok;
}

}  // namespace kelvrant
