// The kelvrant program entry: without a display (or without the window built in) the command
// line runs headless, every problem printed on stderr.
#include <csignal>
#include <cstdio>

#include "core/Headless.h"
#include "core/ProblemSink.h"

int main(int argc, char** argv) {
    // A file size limit must show up as a failed write with the file's name, not kill the run.
    std::signal(SIGXFSZ, SIG_IGN);
    kelvrant::StderrProblemSink problems;
    return kelvrant::RunHeadless(argc, argv, problems, stdout);
}
