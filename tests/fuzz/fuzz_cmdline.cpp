// Fuzz harness of the command line: the input is the argument list, arguments separated by
// NUL bytes (the program path comes first and is not examined). An absolute path is made
// relative to the working directory, so that the parser, which opens a B-file to read its
// receiver type and an auto-parameters file to load it, never reads a device that does not end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "cli/CommandLine.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "settings/HeaderSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    constexpr std::size_t kMaxArguments = 64;
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            if (arguments.size() == kMaxArguments) return -1;
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    for (std::string& argument : arguments)
        if (!argument.empty() && argument.front() == '/') argument = "." + argument;
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    kelvrant::ConversionJob job;
    kelvrant::HeaderSettings settings;
    kelvrant::RecordingProblemSink sink;
    const bool ok = kelvrant::ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), job,
                                               settings, sink);
    if (ok != sink.problems.empty()) __builtin_trap();
    if (!ok && sink.problems.size() != 1) __builtin_trap();  // the first problem ends the parse
    return 0;
}
