// The RINEX 3.05 mixed navigation writer: GPS LNAV and GLONASS ephemerides of the E-file in one
// file, the ionosphere and time-system corrections in its header. The header carries the
// GLONASS time correction of the first GLONASS record, so the records are collected (a
// navigation file is small) and the whole file is written once at the end: nothing is ever
// rewritten in place, and the file can be compressed while it is written.
#pragma once

#include <string>

#include "ashtech/EFileReader.h"
#include "rinex/NavHeader.h"
#include "rinex/Rinex3Header.h"
#include "rinex/Rinex3ObsWriter.h"
#include "rinex/TextSink.h"

namespace kelvrant {

class Rinex3NavWriter {
  public:
    Rinex3NavWriter(TextSink& sink, const rinex3::FileDating& dating);

    /// Takes one record as the E-file reader hands it out (GPS angles in radians).
    void Add(const AshNavRecord& record);
    /// Writes the header (run-by text, comments, ION and UTC values of `header`, the GLONASS
    /// correction of the first GLONASS record) and every record added.
    void Finish(const NavHeaderRecord& header);

    /// The frequency channel of each GLONASS slot seen so far (for the observation header).
    const GlonassChannels& Channels() const { return channels_; }

  private:
    void AddGps(const AshNavRecord& record);
    void AddGlonass(const AshNavRecord& record);

    TextSink& sink_;
    rinex3::FileDating dating_;
    std::string records_;
    bool haveGlonass_ = false;
    AshNavRecord firstGlonass_;
    GlonassChannels channels_;
};

}  // namespace kelvrant
