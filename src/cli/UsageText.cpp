// The usage text of the command line: fifteen pieces, shown by the help window one per
// line and printed by the program when it cannot open a window.
#include "cli/UsageText.h"

#include <filesystem>
#include <utility>

#include "run/ConversionJob.h"

namespace kelvrant {

namespace {

// Pieces 2 and 4 name the executable where "%s" stands.
constexpr const char* kHelpPieces[kCmdLineHelpPieceCount] = {
    // 1
    "Program Usage:\r\n",
    // 2
    "   %s -I bfile efile [sfile] [ionfile] [options]\r\n",
    // 3
    "  OR\r\n",
    // 4
    "   %s -M inmetfile outmetfile [gpswk gpswkSec]\r\n",
    // 5
    "    where,",
    // 6
    "      bfile             The name of the source B-File (required).\r\n"
    "      efile             The name of the source E-File (required)\r\n"
    "      sfile             The name of the source S-File (optional). If not specified, site "
    "related data will originate\r\n"
    "                            from the program's configuration data.\r\n"
    "      ionfile          The name of the source Ion-File (optional). If present, nav file will "
    "contain the\r\n"
    "                            Ionospheric alphas and betas and leap second data.",
    // 7
    "      inmetfile     The name of the input Ashtech format meteorological data file.\r\n"
    "      outmetfile  The name of the output RINEX meteorological data file.\r\n"
    "      gpswk         (optional) Used to specify the GPS week of the start of the "
    "meteorological data.\r\n"
    "                            When not specified, this program will use the CPU clock to "
    "determine the start\r\n"
    "                            week of the data.\r\n"
    "      gpswksec   (optional but required when \"gpswk\" provided) Used to specify the "
    "seconds\r\n"
    "                            of GPS Week of the meteorological data.  This time need only be "
    "accurate to\r\n"
    "                            the day of the data as the met. data in the file is stamped with "
    "the time of day\r\n"
    "                            for each observation.",
    // 8
    "      options        Additional options for the program. These can be combined in any order "
    "and\r\n"
    "                            none are required. The options are:\r\n"
    "                 -O obsfile\r\n"
    "                 -N navfile\r\n"
    "                 -T path\r\n"
    "                 -S smooth\r\n"
    "                 -C change\r\n"
    "                 -F s dy yr\r\n"
    "             where,\r\n"
    "                obsfile     The name of the output RINEX observation file. If neither obsfile "
    "and navfile are\r\n"
    "                                    specified, this program will automatically name both.\r\n"
    "                navfile     The name of the output RINEX navigation file. If neither obsfile "
    "and navfile are specified,\r\n"
    "                                    this program will automatically name both.\r\n"
    "                path         The output path of the RINEX files. When not specfied, the path "
    "will default to that of the\r\n"
    "                                    source B-File.\r\n"
    "                smooth   Holds the value of 0 or 1.  1 implies that the codephase "
    "observations will be Ashtech's\r\n"
    "                                    smoothed codephase.  0 implies that the  codephase output "
    "will be Ashtech's",
    // 9
    "                                    unsmoothed codephase. When the -S option is not "
    "specified, the program defaults\r\n"
    "                                    to a value of 1.\r\n"
    "                change    Holds the value of 0 or 1.  1 implies that the we are to output "
    "Site Name change records\r\n"
    "                                    to the observation file.  0 implies not change records.  "
    "1 is the default value of the\r\n"
    "                                    program.\r\n"
    "                s dy yr   Used to force the session, day or year, and 2-digit year (s, dy, "
    "yr, respectively) used\r\n"
    "                                    in automatic generation of output file names.\r\n",
    // 10
    "\r\n"
    "\r\n"
    "\r\n"
    "Examples:\r\n"
    "\r\n",
    // 11
    " Kelvrant -I BN102A97.323 EN102A97.323 SN102A97.323 -S 1\r\n"
    "\r\n"
    "      The converter uses the files BN102A97.323, EN102A97.323, and\r\n"
    "      SN102A97.323, from the current working directory, as the input B-, E-,\r\n"
    "      and S-Files, respectively.  Because no -O or -N parameters were\r\n"
    "      specified, Kelvrant will automatically name the RINEX observation\r\n"
    "      and navigation output files.  The output files will be placed in\r\n"
    "      the same directory as that of the B-File, which is the current\r\n"
    "      working directory in this case.  Additionally, the -S parameter\r\n"
    "      specifies that the converter will output Ashtech smoothed codephase\r\n"
    "      observations.\r\n",
    // 12
    "\r\n"
    " Kelvrant -I BN102A97.323 EN102A97.323 SN102A97.323 -T D:\\RINEX.OUT -C 0\r\n"
    "\r\n"
    "      The converter uses the files BN102A97.323, EN102A97.323, and\r\n"
    "      SN102A97.323, from the current working directory, as the input B-, E-,\r\n"
    "      and S-Files, respectively.  Because no -O or -N parameters were\r\n"
    "      specified, Kelvrant will automatically name the RINEX observation\r\n"
    "      and navigation output files but will place these files in the\r\n"
    "      directory D:\\RINEX.OUT.  Additionally, the -C parameter specifies\r\n"
    "      that there will be no (i.e. 0) site change records written to the\r\n"
    "      output RINEX observation file.",
    // 13
    "\r\n"
    " Kelvrant -I E:\\DATA\\BN102A97.323 E:\\DATA\\EN102A97.323 E:\\DATA\\SN102A97.323\r\n"
    "\r\n"
    "      The converter uses the files BN102A97.323, EN102A97.323, and\r\n"
    "      SN102A97.323, from the E:\\DATA\\directory, as the input B-, E-,\r\n"
    "      and S-Files, respectively.  Because no -O or -N parameters were\r\n"
    "      specified, Kelvrant will automatically name the RINEX observation\r\n"
    "      and navigation output files.  The output files will be placed in\r\n"
    "      the same directory as that of the B-File, which in this case is\r\n"
    "      the E:\\DATA directory.\r\n",
    // 14
    "\r\n"
    " Kelvrant -I BN102A97.323 EN102A97.323 -O OBSFILE -N NAVFILE\r\n"
    "\r\n"
    "      The converter uses the files BN102A97.323 and EN102A97.323 from the\r\n"
    "      current working directory as the input B- and E-Files, respectively.\r\n"
    "      Because no S-FILE was specified, the converter will use the site related\r\n"
    "      data stored in the program's configuration file for site related data.\r\n"
    "      Because the -O parameter was specified the converter will output the\r\n"
    "      Observation data to the file OBSFILE. The -N parameter specifies that\r\n"
    "      the Naviation RINEX data will be output to the file NAVFILE.  The\r\n"
    "      output files will be placed in the same directory as that of the\r\n"
    "      B-File, which is the current working directory in this case.\r\n",
    // 15
    "\r\n"
    " Kelvrant -M A99005.NMA N1020051.99M 991 176752\r\n"
    "\r\n"
    "      The converter uses the file A99005.NMA from the current working\r\n"
    "      directory as the input meteorological data file. The output RINEX\r\n"
    "      meteorological data file will be placed in the file N1020051.99M.\r\n"
    "      Further, the converter will use the GPS time 991, 176752 (i.e., the GPS\r\n"
    "      week and seconds of GPS Week, respectively) to designate the start day\r\n"
    "      of the source meteorological data.  Notice that 176752 does not fall\r\n"
    "      on an exact day boundary.  This is acceptable because the source data\r\n"
    "      is time stamped with time of day.  Therefore, the specified GPS time\r\n"
    "      need only be accurate to the day in which the data falls as the\r\n"
    "      converter will resolve the time of day within that day.\r\n",
};

}  // namespace
std::string ExecutableFileName(std::string_view programPath) {
    const std::string name = std::filesystem::path(programPath).filename().string();
    return name.empty() ? std::string(kProgramName) : name;
}

std::vector<std::string> CmdLineHelpPieces(std::string_view exeFileName) {
    std::vector<std::string> pieces;
    pieces.reserve(kCmdLineHelpPieceCount);
    for (const char* piece : kHelpPieces) {
        // The name is put in by hand: it may itself hold a '%', which must not act as a
        // conversion.
        std::string text(piece);
        if (const auto at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, exeFileName);
        pieces.push_back(std::move(text));
    }
    return pieces;
}

std::string CmdLineHelpText(std::string_view exeFileName) {
    std::string text;
    for (const std::string& piece : CmdLineHelpPieces(exeFileName)) {
        text += piece;
        text += "\r\n";
    }
    return text;
}

}  // namespace kelvrant
