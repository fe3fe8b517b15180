// Problem sinks (see ProblemSink.h).
#include "run/ProblemSink.h"

#include <cstdio>
#include <string>

namespace kelvrant {

void StderrProblemSink::Report(std::string_view title, std::string_view text) {
    // The texts carry CR LF pairs meant for a message box; a terminal wants plain line feeds.
    std::string out(title);
    out += ": ";
    for (char c : text) {
        if (c != '\r') out += c;
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

}  // namespace kelvrant
