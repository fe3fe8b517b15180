// Filling the RINEX header records of a run: from the header values (the settings, or what the
// header windows hold) and from the input files. Every header record is filled from the header
// values here and only here, with the widths of the one header width table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ashtech/BFileReader.h"
#include "ashtech/EFileReader.h"
#include "ashtech/IonFile.h"
#include "ashtech/SiteFile.h"
#include "rinex/MetWriter.h"
#include "rinex/NavHeader.h"
#include "rinex/ObsHeader.h"
#include "run/HeaderOverrides.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

/// The header values' part of the observation and navigation headers: marker name and number
/// (marked present), run-by agency, observer and agency, the non-empty comments (in both
/// records), receiver type and number, antenna type and number, and the interval and
/// satellite-list switches. Other fields are kept.
void FillHeaderTexts(const HeaderSettings& values, ObsHeaderRecord& obs, NavHeaderRecord& nav);

/// Fills the met header record from the settings: marker name, number (marked present) and
/// run-by agency, the non-empty met comments, and the three sensors (all present) with model,
/// type, accuracy, position and the at-pressure-sensor flags.
void FillMetHeaderFromSettings(const HeaderSettings& settings, MetHeaderRecord& header);

/// Completes the record from the inputs: receiver texts and version from the B-file header,
/// the site data of the S-file (when `site` is loaded), system letter, interval, mean
/// position, first and last observation time (week taken from the E-file start when
/// `navStartWeek` is not -1 and differs), wavelength factors, the observation counts, and
/// the leap seconds of the ION record (when `ion` is loaded, else 0).
void FillObsHeader(ObsHeaderRecord& record, const BFileReader& obsReader, std::int32_t navStartWeek,
                   double navStartSeconds, const SiteRecord* site, const IonRecord* ion);
/// FillObsHeader with the E-file reader's start week and seconds (nullptr: no E-file).
void FillObsHeader(ObsHeaderRecord& record, const BFileReader& obsReader,
                   const EFileReader* navReader, const SiteRecord* site, const IonRecord* ion);

/// Puts the command line's values over an observation header that the settings, the S-file
/// and the inputs have filled. `--position auto` takes `dataPosition` (the B-file's mean).
/// The Doppler, INTERVAL and satellite-list switches are the caller's (they choose what the
/// header is filled with).
void ApplyObsOverrides(const HeaderOverrides& overrides, const std::array<double, 3>& dataPosition,
                       ObsHeaderRecord& header);
/// The comments of the command line over a navigation header.
void ApplyNavOverrides(const HeaderOverrides& overrides, NavHeaderRecord& header);
/// Marker name, number and comments of the command line over a met header.
void ApplyMetOverrides(const HeaderOverrides& overrides, MetHeaderRecord& header);

/// The site of an Ashtech download's name: the four characters after the file type letter
/// ("SIMU" for "/data/BSIMUA26.342"); fewer when the name is shorter.
std::string SiteFromBFileName(const std::string& bFileName);

}  // namespace kelvrant
