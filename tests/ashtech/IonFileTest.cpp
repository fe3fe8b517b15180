#include "ashtech/IonFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ashtech/ByteOrder.h"

namespace kelvrant {
namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

FilePtr FileOf(const std::string& bytes) {
    FilePtr file(std::tmpfile(), &std::fclose);
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    return file;  // left at its end: the reader starts at offset 0 itself
}

std::string IonBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size, 0x5A);
    std::uint8_t* p = bytes.data();
    le::PutR4(p + 0, 1.1176e-8f);
    le::PutR4(p + 28, -65536.0f);
    le::PutR8(p + 32, -1.77635684e-15);  // A1
    le::PutR8(p + 40, 9.31322575e-10);   // A0
    le::PutI4(p + 48, 405504);
    le::PutU2(p + 52, 0xFFFF);
    le::PutI2(p + 54, 13);
    return std::string(bytes.begin(), bytes.end());
}

TEST(ion_file, short_file_refused_and_record_left_alone) {
    IonRecord ion;
    FilePtr file = FileOf(IonBytes(73));
    EXPECT_EQ(ReadIonFile(ion, file.get()), 0);
    EXPECT_EQ(ion.loaded, 0);
    EXPECT_EQ(ion.T(), 0);

    FilePtr good = FileOf(IonBytes(74));
    ASSERT_EQ(ReadIonFile(ion, good.get()), 1);
    FilePtr empty = FileOf("");
    EXPECT_EQ(ReadIonFile(ion, empty.get()), 0);
    EXPECT_EQ(ion.loaded, 1);  // a failed read keeps what an earlier one loaded
    EXPECT_EQ(ion.T(), 405504);
    EXPECT_EQ(ReadIonFile(ion, nullptr), 0);
}

TEST(ion_file, longer_file_uses_first_74_bytes) {
    std::string bytes = IonBytes(200);
    bytes.replace(74, 10, "0123456789");
    IonRecord ion;
    FilePtr file = FileOf(bytes);
    ASSERT_EQ(ReadIonFile(ion, file.get()), 1);
    EXPECT_EQ(ion.loaded, 1);
    EXPECT_EQ(ion.Alpha(0), 1.1176e-8f);
    EXPECT_EQ(ion.Beta(3), -65536.0f);
    EXPECT_EQ(ion.A1(), -1.77635684e-15);
    EXPECT_EQ(ion.A0(), 9.31322575e-10);
    EXPECT_EQ(ion.T(), 405504);
    EXPECT_EQ(ion.W(), -1);
    EXPECT_EQ(ion.LeapSeconds(), 13);
    EXPECT_EQ(ion.bytes[73], 0x5A);
    ClearIonRecord(ion);
    EXPECT_EQ(ion.loaded, 0);
}

}  // namespace
}  // namespace kelvrant
