// The --help and --version texts (see HelpText.h).
#include "cli/HelpText.h"

#include "cli/LongOptions.h"
#include "version/Version.h"

namespace kelvrant {
namespace {

constexpr std::string_view kSynopsis =
    "Usage: %s -I BFILE EFILE [SFILE] [IONFILE] [OPTION]...\n"
    "  or:  %s -M INMETFILE OUTMETFILE [GPSWEEK GPSSECONDS] [OPTION]...\n"
    "  or:  %s -P PARAMETERFILE [-F S DDD YY] [-X] [OPTION]...\n"
    "  or:  %s batch [--out DIR] [--layout L] [--jobs N] [--force] [--list]\n"
    "               [--json] [OPTION]... PATH...\n"
    "  or:  %s --help | --version\n"
    "Convert Ashtech receiver downloads to RINEX 2 or 3: the B-file (observations)\n"
    "and E-file (ephemerides), with an optional S-file (site) and ION file\n"
    "(ionosphere, UTC), to observation, GPS navigation and GLONASS navigation files\n"
    "(RINEX 3: one mixed navigation file), optionally compact RINEX and gzipped; or\n"
    "a met data log to a meteorological file. Without a display no window opens;\n"
    "problems go to stderr.\n"
    "\n"
    "Conversion:\n"
    "  -I BFILE EFILE [SFILE] [IONFILE]\n"
    "                       convert observations and navigation\n"
    "  -M INMETFILE OUTMETFILE [GPSWEEK GPSSECONDS]\n"
    "                       convert met data; the GPS time need only fall on the\n"
    "                       data's day (default: today); an existing folder as\n"
    "                       OUTMETFILE gets the file named as SITEdddS.yyM\n"
    "  -P FILE              run the conversion a header/option parameter file names\n"
    "  -O FILE              the observation file (default: named from the B-file)\n"
    "  -N FILE              the GPS navigation file (default: named from the B-file)\n"
    "  -G FILE              the GLONASS navigation file (GPS+GLONASS receivers;\n"
    "                       needs IONFILE; without -G and IONFILE it is left out\n"
    "                       with a warning)\n"
    "  -T DIR               put the outputs in DIR (default: the B-file's directory)\n"
    "  -S 0|1               1: the receiver's smoothed code (default), 0: raw code\n"
    "  -C 0|1               1: write site name changes as events (default), 0: don't\n"
    "  -F S DDD YY          session, day of year and year for the automatic names\n"
    "  -X                   keep the window minimized during the run\n"
    "  -q                   print only problems (as --quiet)\n"
    "\n"
    "Header values and output, for this run only (never stored in the configuration):\n";

constexpr std::string_view kEpilogue =
    "\n"
    "Batch (kelvrant batch ... PATH...): converts every session found under the\n"
    "files and folders given, each as -I with the same options would, and every met\n"
    "log (sYYDDD.NMA) as -M, named after the site of the B-file beside it:\n"
    "  --out DIR            put the outputs under DIR (default: beside each B-file)\n"
    "  --layout L           subfolders of DIR from {year}, {doy}, {site}, {session}\n"
    "  --jobs N             sessions converted at once (default: the number of cores)\n"
    "  --force              convert again sessions whose outputs are up to date\n"
    "  --list               print one complete -I (or -M) command line per session\n"
    "                       instead\n"
    "  --json               print the whole result as one JSON document\n"
    "\n"
    "Header values come from the command line first, then the site log (--site-logs),\n"
    "then the S-file, then the parameter file or the configuration file; --comment\n"
    "replaces the configured comments. --marker, --marker-number and --comment also\n"
    "apply to -M. Letters of short options may be given in either case and together\n"
    "(-XS 1); a long option's value follows as --name VALUE or --name=VALUE.\n"
    "On success one line per file written and the number of warnings are printed.\n"
    "\n"
    "Editing the observations: TIME is YYYY-MM-DD hh:mm[:ss] (or with T before the\n"
    "time) or WEEK:SECONDS, in GPS time. --decimate keeps the epochs at whole\n"
    "multiples of SECONDS (0.1 or more) from GPS midnight; a loss of lock in a\n"
    "dropped epoch is flagged on the next epoch written. --split writes one complete\n"
    "file set per GPS day (SSSSDDD0.YYO) or hour (SSSSDDDA.YYO .. SSSSDDDX.YYO); a\n"
    "name given with -O, -N or -G gets DDD0 or DDDA..DDDX in place of characters 5\n"
    "to 8 when it has the standard form, else after its base name. Headers state\n"
    "what each file holds. Without --split navigation files keep every record.\n"
    "\n"
    "Configuration file: --config FILE, else $KELVRANT_CONFIG, else Kelvrant.INI\n"
    "beside the executable when it exists there, else\n"
    "$XDG_CONFIG_HOME/kelvrant/Kelvrant.INI (~/.config/kelvrant/Kelvrant.INI).\n"
    "A missing one is created with defaults.\n"
    "\n"
    "Exit status:\n"
    "  0  the conversion succeeded (also --help and --version)\n"
    "  1  the conversion could not be prepared or did not complete\n"
    "  2  the command line was rejected, or names no conversion\n"
    "\n"
    "Examples:\n"
    "  %s -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342 -T rinex/\n"
    "      convert a GPS+GLONASS session with its site and ION files, outputs named\n"
    "      automatically (KELVxxxx.26O, .26N, .26G) in the folder rinex/\n"
    "  %s -I BKELVA26.342 EKELVA26.342 --marker KELV --antenna ASH700936D_M \\\n"
    "      --antenna-height 1.2345 --comment 'tripod, tribrach 2' --json\n"
    "      set header values for this session only and print a JSON summary\n"
    "  %s -I BKELVA26.342 EKELVA26.342 SKELVA26.342 ION26.342 --rinex 3 \\\n"
    "      --compress crx.gz --country DEU\n"
    "      one download to RINEX 3 .crx.gz with long names, as archives take it\n"
    "      (KELV00DEU_R_20263421000_01H_30S_MO.crx.gz, ..._MN.rnx.gz)\n"
    "  %s -I BKELVA26.342 EKELVA26.342 --split day --decimate 30\n"
    "      one download -> daily 30 s files: KELV3420.26O, KELV3430.26O, ...\n"
    "  %s -M A26342.NMA KELV3421.26M 2448 208800\n"
    "      convert a met log of GPS week 2448\n"
    "  %s batch --out rinex --layout '{year}/{doy}' --site-logs logs campaign/\n"
    "      convert a whole campaign, header values from the stations' site logs\n";

// Replaces every "%s" with the program's name.
std::string WithName(std::string_view text, std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            out += name;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string HelpText(std::string_view exeFileName) {
    std::string out = WithName(kSynopsis, exeFileName);
    constexpr std::size_t kHelpColumn = 23;
    for (const LongOption& option : LongOptions()) {
        std::string left = "  --" + std::string(option.name);
        if (!option.valueName.empty()) left += " " + std::string(option.valueName);
        if (left.size() + 1 > kHelpColumn) {
            out += left + "\n" + std::string(kHelpColumn, ' ');
        } else {
            out += left + std::string(kHelpColumn - left.size(), ' ');
        }
        out += std::string(option.help) + "\n";
    }
    out += WithName(kEpilogue, exeFileName);
    return out;
}

std::string VersionText() {
    return std::string("kelvrant ") + KelvrantVersion() + "\n";
}

}  // namespace kelvrant
