// Fuzz harness of the configuration file: the input is a Kelvrant.INI. What was read is
// written back and read again: a file the reader accepted must, once written, be accepted
// again, and from then on reading and writing must change nothing but carriage returns. (The
// first rewrite may: a text cut to its width can end in a blank, which the next read removes.
// Reading drops the carriage return before each line feed, as text mode does, so a line
// ending in several of them loses one at every rewrite.)
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "settings/ConfigFile.h"

namespace {

std::string WithoutReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kelvrant::fuzz::kMaxTextInput) return -1;
    static const std::string input = kelvrant::fuzz::ScratchPath("input.INI");
    static const std::string first = kelvrant::fuzz::ScratchPath("first.INI");
    static const std::string second = kelvrant::fuzz::ScratchPath("second.INI");
    static const std::string third = kelvrant::fuzz::ScratchPath("third.INI");
    kelvrant::fuzz::WriteBytes(input, data, size);

    kelvrant::ConfigStore store;
    const kelvrant::ConfigReadResult read = store.ReadConfigFile(input);
    (void)store.GetComments();
    (void)store.GetMetComments();
    if (store.WriteConfigFile(first) != 1) __builtin_trap();
    if (read.result != 1) return 0;

    kelvrant::ConfigStore again;
    if (again.ReadConfigFile(first).result != 1) __builtin_trap();
    if (again.WriteConfigFile(second) != 1) __builtin_trap();
    kelvrant::ConfigStore stable;
    if (stable.ReadConfigFile(second).result != 1) __builtin_trap();
    if (stable.WriteConfigFile(third) != 1) __builtin_trap();
    if (WithoutReturns(kelvrant::fuzz::ReadBytes(second)) !=
        WithoutReturns(kelvrant::fuzz::ReadBytes(third)))
        __builtin_trap();
    return 0;
}
