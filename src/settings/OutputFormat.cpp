// Output format words (see OutputFormat.h).
#include "settings/OutputFormat.h"

#include <algorithm>
#include <cctype>

namespace kelvrant {

bool ParseCompression(std::string_view text, bool& compact, bool& gzip) {
    std::string word(text);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (word == "none" || word.empty()) {
        compact = gzip = false;
    } else if (word == "crx") {
        compact = true;
        gzip = false;
    } else if (word == "gz") {
        compact = false;
        gzip = true;
    } else if (word == "crx.gz") {
        compact = gzip = true;
    } else {
        return false;
    }
    return true;
}

std::string_view CompressionName(bool compact, bool gzip) {
    if (compact) return gzip ? "crx.gz" : "crx";
    return gzip ? "gz" : "none";
}

}  // namespace kelvrant
