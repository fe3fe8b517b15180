// How the conversion tells the user about a problem. The window side shows a message box or
// the auto-run error window; headless runs print "title: text" on stderr; tests record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

class ProblemSink {
  public:
    virtual ~ProblemSink() = default;
    /// Shows one problem. May block until the user has acknowledged it.
    virtual void Report(std::string_view title, std::string_view text) = 0;
};

/// Prints every problem as "title: text" on stderr.
class StderrProblemSink final : public ProblemSink {
  public:
    void Report(std::string_view title, std::string_view text) override;
};

/// Keeps every problem (tests, and the count of failures of a headless run).
class RecordingProblemSink final : public ProblemSink {
  public:
    struct Problem {
        std::string title;
        std::string text;
    };
    void Report(std::string_view title, std::string_view text) override {
        problems.push_back({std::string(title), std::string(text)});
    }
    std::vector<Problem> problems;
};

}  // namespace kelvrant
