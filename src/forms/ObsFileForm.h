// Names of an interactive observation conversion derived from the B-file name: the E-, S- and
// ION companions beside it, the automatic RINEX output names, and where a browse dialog starts.
#pragma once

#include <string>

#include "settings/OutputFormat.h"

namespace kelvrant {

/// `path` when a file of that name exists; otherwise the one file in the same directory whose
/// name differs from it only in letter case (downloads are often lower case); otherwise empty.
std::string FindCompanionFile(const std::string& path);

/// The B-file name with the first character of its base name replaced by `letter` ('E', 'S'),
/// in the same directory with the same extension; empty when the base name is empty.
std::string CompanionCandidate(const std::string& bFileName, char letter);

/// "ION" + the 7th and 8th characters of the base name (the year) + the extension, in the
/// B-file's directory; empty for base names of 7 characters or fewer.
std::string IonCandidate(const std::string& bFileName);

/// The three RINEX output names of a B-file.
struct ObsOutputNames {
    std::string obs;
    std::string nav;
    std::string navG;
};

/// Automatic output names in the B-file's directory: site (base characters 2-5) + day (the
/// three characters after the extension's dot) + session + "." + year + O, N or G. A base name
/// of exactly 8 characters takes its session from the 6th character (A..I become 1..9, J..Z
/// become A..Q) and the year from the 7th and 8th; 9 or more characters take the 6th to 8th
/// characters upper-cased and the year from the 9th and 10th. Shorter base names give three
/// empty names. The GLONASS name is not checked against the receiver here.
ObsOutputNames MakeObsOutputNames(const std::string& bFileName);

/// The seven names of the file selection window.
struct DerivedObsNames {
    std::string bFile;
    std::string eFile;
    std::string sFile;
    std::string ionFile;
    std::string obsFile;
    std::string navFile;
    std::string navGFile;
};

/// Derives every name from a B-file name the user entered. False (nothing derived) when no
/// file of that name exists. Missing companions are left empty; the GLONASS navigation name is
/// emptied unless the B-file header names a GPS+GLONASS receiver. The output names follow the
/// format: compressed names (.97D, .gz), and for RINEX 3 a mixed navigation name (.97P) and
/// no GLONASS one (long names are given once the data's span is known).
bool DeriveObsNames(const std::string& bFileName, DerivedObsNames& names,
                    const OutputFormat& format = {});

/// Where a file browse dialog opens for the text of its edit.
struct BrowseStart {
    std::string directory;  ///< empty: the dialog's own choice
    std::string fileName;   ///< the file name preselected (empty: none)
};

/// An existing file opens in its directory with its name; a name of a missing file opens in
/// its nearest existing parent directory (the root when none) with no name; an empty text
/// opens with no name.
BrowseStart FindBrowseStart(const std::string& text);

}  // namespace kelvrant
