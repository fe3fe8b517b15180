// The kelvrant program entry: without a display (or without the window built in) the command
// line runs headless, every problem printed on stderr.
#include <cstdio>

#include "core/Headless.h"
#include "core/ProblemSink.h"

int main(int argc, char** argv) {
    kelvrant::StderrProblemSink problems;
    return kelvrant::RunHeadless(argc, argv, problems, stdout);
}
