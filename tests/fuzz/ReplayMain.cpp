// Replays files through a fuzz harness without libFuzzer: every argument is a file or a
// directory whose regular files are run in name order. A crash or sanitizer report fails the
// process; a missing directory is skipped so a harness may have no regressions yet.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    // A copy of exactly the file's size, so reading past the input shows under ASan.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    static const std::uint8_t kNone = 0;
    LLVMFuzzerTestOneInput(input.empty() ? &kNone : input.data(), input.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 0;
    bool ok = true;
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path arg(argv[a]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                ok = RunFile(file) && ok;
                ++runs;
            }
        } else if (std::filesystem::exists(arg, ec)) {
            ok = RunFile(arg) && ok;
            ++runs;
        }
    }
    std::printf("%d inputs replayed\n", runs);
    return ok ? 0 : 1;
}
