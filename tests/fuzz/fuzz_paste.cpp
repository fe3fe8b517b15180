// Fuzz harness of the clipboard position recognizer: the input is the clipboard text. A
// recognized position is copied back to text and pasted again. The first 8 bytes also serve
// as a number and the rest as a picture for the picture formatter.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "forms/PositionTextRecognizer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    kelvrant::PositionTextRecognizer paste;
    const bool usable = paste.ReadClipboard(text);
    const kelvrant::PasteResult result = paste.Result();
    if (!usable && result.Recognized()) __builtin_trap();
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    const bool parsed = paste.ParsePosition(text, x, y, z);
    if (parsed != result.Recognized()) __builtin_trap();
    (void)kelvrant::SpecialPastePosition(text);

    if (parsed) {
        const std::string copy = kelvrant::PositionTextRecognizer::CopyPositionText(x, y, z);
        (void)kelvrant::SpecialPastePosition(copy);
    }

    if (size >= sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, data, sizeof value);
        (void)kelvrant::FormatPicture(value, text.substr(sizeof(double), 80));
    }
    return 0;
}
