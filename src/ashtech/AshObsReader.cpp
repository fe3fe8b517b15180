// The B-file reader (see AshObsReader.h).
#include "ashtech/AshObsReader.h"

#include <cctype>

namespace kelvrant {

const char* const kDataTypeNames[6] = {
    "L1 (L1 C/A Codephase tracking)",
    "L2C (L1 C/A Codephase and L2 Codeless)",
    "L1CP_L2P (L1 C/A, L1 P-Code, and L2 P-Code)",
    "CDPHASE (L1 C/A Codephase (no carrier))",
    "L1CP (L1 C/A and L1 P-Code)",
    "L1C_L2P (L1 C/A and L2 P-Code)",
};

std::string FixedText(const std::uint8_t* p, std::size_t width) {
    std::string s;
    for (std::size_t i = 0; i < width && p[i] != 0; ++i)
        s += static_cast<char>(p[i]);
    return s;
}

bool IsGlonassReceiver(std::string_view receiverType) {
    std::string upper;
    for (char c : receiverType)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "Z18" || upper == "GG24" || upper == "GG-XXIV";
}

}  // namespace kelvrant
