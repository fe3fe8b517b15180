// The command line (see CommandLine.h).
#include "cli/CommandLine.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

#include "ashtech/BFileReader.h"
#include "cli/ParameterFileRun.h"
#include "geo/GpsTime.h"
#include "rinex/MetWriter.h"

namespace kelvrant {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsOptionLetter(char upper) {
    return std::string_view("IMONGTSCFPXHQ").find(upper) != std::string_view::npos;
}

// The problem's text followed by the word that caused it, so that a script's author sees
// which of many words was not understood.
std::string Naming(std::string_view text, std::string_view word) {
    std::string out(text);
    if (!out.ends_with("\r\n\r\n")) out += "\r\n\r\n";
    out += word;
    return out;
}

// A number written at the start of the text: leading blanks and one sign are allowed and
// whatever follows the number is ignored ("1x" reads as 1), as a scanf conversion reads it.
// Decoded independently of the locale, so a window toolkit's locale cannot turn the decimal
// point into a comma.
std::string_view NumberStart(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    text.remove_prefix(i);
    // from_chars takes a '-' but not a '+'.
    if (!text.empty() && text[0] == '+' && (text.size() < 2 || text[1] != '-'))
        text.remove_prefix(1);
    return text;
}

bool LeadingInteger(std::string_view text, long long& value) {
    const std::string_view s = NumberStart(text);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    return result.ec == std::errc();
}

bool LeadingReal(std::string_view text, double& value) {
    const std::string_view s = NumberStart(text);
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    return result.ec == std::errc();
}

// The values of the options and their checks, for one run of the scan.
class OptionReader {
  public:
    OptionReader(int argc, const char* const* argv, ConversionJob& job, CommandLineExtras& extras,
                 ProblemSink& sink)
        : argc_(argc), argv_(argv), job_(job), extras_(extras), sink_(sink) {}

    bool Fail(std::string_view text) {
        sink_.Report(kCmdLineErrorTitle, text);
        return false;
    }
    bool Fail(std::string_view text, std::string_view word) { return Fail(Naming(text, word)); }

    std::string_view Arg(int i) const {
        const char* a = argv_[i];
        return a ? std::string_view(a) : std::string_view();
    }

    // A value that does not fit where the job keeps it is refused, never cut.
    bool Fits(char option, std::string_view value, std::size_t limit) {
        if (value.size() <= limit) return true;
        char text[160];
        std::snprintf(text, sizeof text,
                      "The value given with the -%c option is too long: %zu characters, at "
                      "most %zu are allowed.",
                      option, value.size(), limit);
        return Fail(text);
    }

    bool TakePath(char option, std::string& field, std::string_view value) {
        if (!Fits(option, value, cmdline::kMaxPathLength)) return false;
        field.assign(value);
        return true;
    }

    // Up to `most` values, stopping early at the end of the arguments or at one that begins
    // with a dash.
    int TakeList(int most, std::string_view* values) {
        int n = 0;
        while (n < most && next_ < argc_ && !Arg(next_).starts_with('-'))
            values[n++] = Arg(next_++);
        return n;
    }

    // One value, whatever it begins with; a missing value is an error.
    bool TakeOne(char option, std::string_view& value) {
        if (next_ >= argc_) return Fail(cmdline::kUnrecognizedForm, std::string("-") + option);
        value = Arg(next_++);
        return true;
    }

    bool TakeSwitch(char option, bool& field) {
        std::string_view value;
        if (!TakeOne(option, value)) return false;
        long long n = 0;
        if (!LeadingInteger(value, n) || (n != 0 && n != 1))
            return Fail(cmdline::kUnrecognizedForm,
                        std::string("-") + option + " " + std::string(value));
        job_.ObsRun = true;
        field = (n == 1);
        return true;
    }

    bool Option(char option) {
        std::string_view value;
        switch (option) {
            case 'I': {
                std::string_view values[4];
                const int n = TakeList(4, values);
                job_.ObsRun = true;
                std::string* fields[4] = {&job_.BFileName, &job_.EFileName, &job_.SFileName,
                                          &job_.IonFileName};
                for (int i = 0; i < n; ++i)
                    if (!TakePath(option, *fields[i], values[i])) return false;
                return true;
            }
            case 'M':
                return MetOption();
            case 'O':
                if (!TakeOne(option, value)) return false;
                job_.ObsRun = true;
                return TakePath(option, job_.ObsFileName, value);
            case 'N':
                if (!TakeOne(option, value)) return false;
                job_.ObsRun = true;
                return TakePath(option, job_.NavFileName, value);
            case 'G':
                if (!TakeOne(option, value)) return false;
                job_.ObsRun = true;
                return TakePath(option, job_.NavGFileName, value);
            case 'T':
                if (!TakeOne(option, value)) return false;
                job_.ObsRun = true;
                return TakePath(option, job_.OutputPath, value);
            case 'S':
                return TakeSwitch(option, job_.SmoothCode);
            case 'C':
                return TakeSwitch(option, job_.SiteChanges);
            case 'F': {
                if (argc_ - next_ < 3) return Fail(cmdline::kUnrecognizedForm, "-F");
                std::string* fields[3] = {&job_.ForcedSession, &job_.ForcedDay, &job_.ForcedYear};
                for (std::string* field : fields) {
                    value = Arg(next_++);
                    if (!Fits(option, value, cmdline::kMaxForcedLength)) return false;
                    field->assign(value);
                }
                job_.ForceNames = true;
                return true;
            }
            case 'P':
                if (!TakeOne(option, value)) return false;
                job_.AutoParamMode = true;
                return TakePath(option, job_.AutoParamFileName, value);
            case 'X':
                job_.RunMinimized = true;
                return true;
            case 'H':
                extras_.help = true;
                return true;
            case 'Q':
                extras_.quiet = true;
                return true;
            default:
                return Fail(cmdline::kUnrecognizedParameters, std::string("-") + option);
        }
    }

    bool MetOption() {
        std::string_view values[4];
        const int n = TakeList(4, values);
        job_.MetRun = true;
        std::string* names[2] = {&job_.MetInFileName, &job_.MetOutFileName};
        for (int i = 0; i < n && i < 2; ++i)
            if (!TakePath('M', *names[i], values[i])) return false;
        std::string given = "-M";
        for (int i = 0; i < n; ++i)
            given += " " + std::string(values[i]);
        if (n < 2) return Fail(cmdline::kUnrecognizedForm, given);
        if (n > 2) {
            // A week without its seconds (three values) fails on the missing seconds.
            long long week = -1;
            // GPS weeks of this receiver family's era; beyond 9999 no date can be printed.
            if (!LeadingInteger(values[2], week) || week < 0 || week > 9999)
                return Fail(cmdline::kUnrecognizedForm, given);
            double seconds = -1.0;
            if (n < 4 || !LeadingReal(values[3], seconds) ||
                !(seconds >= 0.0 && seconds <= kSecondsPerWeek))
                return Fail(cmdline::kUnrecognizedForm, given);
            job_.MetStartWeek = static_cast<std::int32_t>(week);
            job_.MetStartSeconds = seconds;
        }
        return true;
    }

    // --name value or --name=value.
    bool LongOption(std::string_view token) {
        std::string_view name = token.substr(2);
        std::string_view value;
        const std::size_t equals = name.find('=');
        const bool inline_value = equals != std::string_view::npos;
        if (inline_value) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const kelvrant::LongOption* option = FindLongOption(name);
        if (option == nullptr) return Fail(cmdline::kUnrecognizedParameters, token);
        if (option->valueName.empty()) {
            if (inline_value) return Fail(cmdline::kUnrecognizedForm, token);
        } else if (!inline_value) {
            if (next_ >= argc_) return Fail(cmdline::kUnrecognizedForm, token);
            value = Arg(next_++);
        }
        std::string why;
        if (!option->take(value, job_, extras_, why)) {
            return Fail(cmdline::kUnrecognizedForm,
                        "--" + std::string(name) + " " + std::string(value) + "\r\n(" + why + ")");
        }
        if (option->observationOnly && extras_.observationOnlyOption.empty())
            extras_.observationOnlyOption = "--" + std::string(name);
        return true;
    }

    // Scans every argument; false after the first problem. --help and --version end the scan.
    bool Scan() {
        int arg = 1;
        while (arg < argc_) {
            next_ = arg + 1;
            bool dash = false;
            const std::string_view token = Arg(arg);
            if (token.starts_with("--") && token.size() > 2) {
                if (!LongOption(token)) return false;
                if (extras_.help || extras_.version) return true;
                arg = next_;
                continue;
            }
            for (const char raw : token) {
                const char c = Upper(raw);
                if (c == '-') {
                    dash = true;
                } else if (!IsOptionLetter(c)) {
                    return Fail(cmdline::kUnrecognizedParameters, token);
                } else if (!dash) {
                    return Fail(cmdline::kUnrecognizedForm, token);
                } else if (!Option(c)) {
                    return false;
                }
            }
            if (extras_.help || extras_.version) return true;
            // The values taken by the options of this token are not scanned as tokens.
            arg = next_;
        }
        return true;
    }

  private:
    int argc_;
    const char* const* argv_;
    ConversionJob& job_;
    CommandLineExtras& extras_;
    ProblemSink& sink_;
    int next_ = 1;
};

}  // namespace

bool ScanCommandLine(int argc, const char* const* argv, ConversionJob& job,
                     CommandLineExtras& extras, ProblemSink& errorWindow) {
    if (argc <= 1) return true;
    OptionReader reader(argc, argv, job, extras, errorWindow);
    if (argc == 2) {
        // The questions a program answers alone.
        const std::string_view only = argv[1] ? argv[1] : "";
        if (only == "-h" || only == "-H" || only == "--help") {
            extras.help = true;
            return true;
        }
        if (only == "--version") {
            extras.version = true;
            return true;
        }
        return reader.Fail(cmdline::kTooFewParameters);
    }

    job.AutoParamMode = false;
    job.ForceNames = false;
    job.RunMinimized = false;
    job.ClockAdjust = true;
    job.SmoothCode = true;
    job.SiteChanges = true;
    job.OutputDoppler = 1;

    return reader.Scan();
}

bool CompleteCommandLine(ConversionJob& job, const CommandLineExtras& extras,
                         HeaderSettings& settings, ProblemSink& errorWindow) {
    const auto fail = [&errorWindow](std::string_view text) {
        errorWindow.Report(kCmdLineErrorTitle, text);
        return false;
    };
    if (job.ObsRun && job.MetRun) return fail(cmdline::kIllegalMetCombination);
    if (job.AutoParamMode) {
        if (job.ObsRun || job.MetRun) return fail(cmdline::kIllegalAutoParamCombination);
        if (!LoadAutoParameters(job.AutoParamFileName, job, settings, errorWindow)) return false;
    }
    if (job.MetRun) {
        if (!extras.observationOnlyOption.empty())
            return fail(Naming(cmdline::kNotForMet, extras.observationOnlyOption));
        if (job.Overrides.comments.size() > kMaxMetComments)
            return fail(Naming(cmdline::kTooManyMetComments, "--comment"));
    }
    if (job.ObsRun && !job.OutputPath.empty()) {
        // Checked before anything is read, so that "-ti 30" (-T with the value 30) says which
        // word it could not use.
        std::error_code ec;
        if (!std::filesystem::is_directory(job.OutputPath, ec))
            return fail(Naming(cmdline::kNoOutputFolder, "-T " + job.OutputPath));
    }
    job.Format = job.FormatChoice.Over(settings.Output);
    if (job.Format.rinexVersion == 3 && !job.NavGFileName.empty())
        return fail(Naming(cmdline::kNoGlonassNavInRinex3, "-G"));
    if (job.ObsRun) {
        const bool glonassGiven = !job.NavGFileName.empty();
        NameObsOutputs(job);
        job.NavGAutoNamed = !glonassGiven && !job.NavGFileName.empty();
    }
    if (job.MetRun) {
        // An existing folder as the output: the met file is named in it as automatic names are.
        std::error_code ec;
        if (!job.MetOutFileName.empty() && std::filesystem::is_directory(job.MetOutFileName, ec)) {
            job.OutputPath = job.MetOutFileName;
            job.MetOutFileName.clear();
        }
        NameMetOutput(job, settings);
    }
    return true;
}

bool ParseCommandLine(int argc, const char* const* argv, ConversionJob& job,
                      HeaderSettings& settings, ProblemSink& errorWindow) {
    if (argc <= 1) return true;
    CommandLineExtras extras;
    if (!ScanCommandLine(argc, argv, job, extras, errorWindow)) return false;
    // The window program has no help or version to print: its help window shows the usage.
    if (extras.help || extras.version) return true;
    return CompleteCommandLine(job, extras, settings, errorWindow);
}

}  // namespace kelvrant
