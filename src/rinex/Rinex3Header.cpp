// RINEX 3 header line forms (see Rinex3Header.h).
#include "rinex/Rinex3Header.h"

#include "rinex/LineWriter.h"

namespace kelvrant::rinex3 {

void HeaderLine(TextSink& sink, std::string_view text, std::string_view label) {
    std::string line(text.substr(0, 60));
    line.resize(60, ' ');
    line.append(label.substr(0, 20));
    line.resize(80, ' ');
    line.append("\r\n");
    sink.Write(line);
}

void DataLine(TextSink& sink, std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string line(text);
    line.append("\r\n");
    sink.Write(line);
}

void PgmRunByDate(TextSink& sink, const FileDating& dating, std::string_view runBy) {
    const UtcTime& t = dating.created;
    const std::string program(dating.programName);
    const std::string agency(runBy);
    HeaderLine(sink,
               Format("%-20.20s%-20.20s%04d%02d%02d %02d%02d%02d UTC", program.c_str(),
                      agency.c_str(), t.year, t.month, t.day, t.hour, t.minute, t.second),
               "PGM / RUN BY / DATE");
}

}  // namespace kelvrant::rinex3
