// Small input files built byte by byte for the command-line and run-preparation tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ashtech/ByteOrder.h"
#include "support/TestPaths.h"

namespace kelvrant::test {

/// A 90-byte B-file header: "VERSION", format version at 10, receiver text at 11, data type 1
/// at 41, GPS week at 43, blocks per satellite at 47.
inline std::string BFileHeaderBytes(const std::string& receiver, std::int32_t week,
                                    std::uint8_t version = 3, std::int8_t blocks = 1) {
    std::string h(90, '\0');
    std::memcpy(h.data(), "VERSION", 7);
    h[10] = static_cast<char>(version);
    std::memcpy(h.data() + 11, receiver.data(), receiver.size() < 10 ? receiver.size() : 10);
    auto* p = reinterpret_cast<std::uint8_t*>(h.data());
    le::PutI2(p + 41, 1);
    le::PutI4(p + 43, week);
    h[47] = static_cast<char>(blocks);
    return h;
}

/// An E-file of GPS records of satellite 1, one per week given, each with a plausible sqrt(A).
inline std::string EFileBytes(const std::vector<std::int16_t>& weeks) {
    std::string file;
    std::int32_t seconds = 1000;
    for (std::int16_t week : weeks) {
        std::string r(129, '\0');
        auto* p = reinterpret_cast<std::uint8_t*>(r.data());
        p[0] = 1;
        le::PutI2(p + 1, week);
        le::PutI4(p + 3, seconds);
        le::PutR8(p + 55, 5153.6);
        seconds += 7200;
        file += r;
    }
    return file;
}

/// A site file of nine lines that the S-file reader accepts.
inline std::string SiteFileText() {
    std::string text = "                    SITE INFORMATION\n\n";
    text += "N102 001 002 003                 001 002 ABCD OBS\n";
    for (int line = 4; line <= 9; ++line)
        text += "      1.4500 0 0 0 0\n";
    return text;
}

}  // namespace kelvrant::test
