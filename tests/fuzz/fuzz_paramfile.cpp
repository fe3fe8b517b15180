// Fuzz harness of the RINEX header/option parameter file: the input is a parameter file. It is
// read into the defaults record and the site list, and loaded as an auto-parameters file
// into a conversion job and header settings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "cli/ParameterFileRun.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "settings/HeaderSettings.h"
#include "settings/ParameterFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    {
        kelvrant::fuzz::MemoryFile input(data, size);
        if (input.get() == nullptr) return 0;
        kelvrant::ParameterFile manager;
        int lineCount = 0;
        const bool ok = manager.ReadFile(input.get(), lineCount);
        const int error = manager.TakeError();
        if (ok != (error == 0)) __builtin_trap();
        (void)kelvrant::ParameterFile::HeaderErrorText(error);
        kelvrant::HeaderRecord defaults;
        manager.GetDefaults(defaults);
        for (const kelvrant::HeaderRecord& site : manager.Sites())
            if (manager.FindSite(site.SiteName) < 0) __builtin_trap();
    }

    static const std::string path = kelvrant::fuzz::ScratchPath("params.txt");
    kelvrant::fuzz::WriteBytes(path, data, size);
    kelvrant::ConversionJob job;
    kelvrant::HeaderSettings settings;
    kelvrant::RecordingProblemSink sink;
    const bool loaded = kelvrant::LoadAutoParameters(path, job, settings, sink);
    if (loaded == !sink.problems.empty()) __builtin_trap();
    return 0;
}
