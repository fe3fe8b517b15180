// The kelvrant program entry.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc <= 1) {
        std::fputs("kelvrant: Ashtech raw data to RINEX converter\n", stderr);
        return 1;
    }
    return 0;
}
