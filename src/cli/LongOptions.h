// The GNU-style long options (--name value, --name=value): one table row per option with its
// value's name and its line of the usage text, so that a new option is one new row.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "run/ConversionJob.h"

namespace kelvrant {

/// What the command line asks of the program itself rather than of the conversion.
struct CommandLineExtras {
    bool help = false;       ///< -h, --help
    bool version = false;    ///< --version
    bool quiet = false;      ///< -q, --quiet: print only problems
    bool json = false;       ///< --json: the summary as one JSON object
    std::string configPath;  ///< --config FILE
    /// The first option given that only an observation conversion uses (empty: none).
    std::string observationOnlyOption;
};

struct LongOption {
    std::string_view name;       ///< without the two dashes
    std::string_view valueName;  ///< empty: the option takes no value
    std::string_view help;       ///< its description in the usage text
    bool observationOnly;        ///< meaningless for a met conversion
    /// Stores the value; false with `why` saying what a valid value looks like.
    bool (*take)(std::string_view value, ConversionJob& job, CommandLineExtras& extras,
                 std::string& why);
};

/// Every long option, in the order the usage text lists them.
std::span<const LongOption> LongOptions();

/// The option of that name (without the dashes), or nullptr.
const LongOption* FindLongOption(std::string_view name);

}  // namespace kelvrant
