// Builds the bytes of an Ashtech B-file for tests: a 90-byte header followed by epoch records,
// each with its satellite blocks of 4 + 31 * n bytes. The layout is written out field by field
// here, on its own, so that tests of the reader and of everything downstream check the reader
// against an independent description of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvrant::test {

/// The fields of one 31-byte observation block.
struct BObsBlock {
    double rawRange = 0.0;   ///< seconds
    float smoothing = 0.0f;  ///< metres
    std::uint8_t warning = 0;
    std::uint8_t quality = 0;
    std::uint8_t snr = 0;
    std::int32_t doppler = 0;  ///< units of 0.0001 Hz
    double phase = 0.0;        ///< cycles
};

/// One satellite block: the satellite number and up to n observation blocks (missing blocks
/// are written as zero bytes).
struct BSatellite {
    std::uint8_t number = 0;
    std::vector<BObsBlock> blocks;
};

struct BEpoch {
    std::string site = "SITE";  ///< 4 bytes, cut or padded with blanks
    double time = 0.0;          ///< seconds of week
    double x = 0.0, y = 0.0, z = 0.0;
    double clockOffset = 0.0;  ///< metres
    std::uint16_t pdop100 = 150;
    /// The satellite count byte; when absent, the number of satellites given.
    std::optional<std::int8_t> satCount;
    std::vector<BSatellite> satellites;
};

struct BHeader {
    std::string versionText = "VERSION";  ///< bytes 0..6 (cut or padded with NUL)
    std::uint8_t formatVersion = 3;       ///< byte 10
    std::string receiverType = "G12";     ///< bytes 11..20
    std::string versionSecond = "UNKN";   ///< bytes 21..30
    std::string versionFirst = "1E00";    ///< bytes 31..40
    std::int16_t dataType = 1;            ///< bytes 41..42
    std::int32_t week = 1200;             ///< bytes 43..46
    std::int8_t blockCount = 1;           ///< byte 47
};

inline constexpr std::size_t kBHeaderSize = 90;
inline constexpr std::size_t kBEpochSize = 67;
inline constexpr std::size_t kBObsBlockSize = 31;

/// The 90 header bytes.
std::string EncodeBHeader(const BHeader& header);
/// The 31 bytes of one observation block.
std::string EncodeBObsBlock(const BObsBlock& block);
/// One epoch record and its satellite blocks with `blocksPerSatellite` observation blocks each
/// (a non-positive count writes only the 4 leading bytes of every satellite block).
std::string EncodeBEpoch(const BEpoch& epoch, int blocksPerSatellite);

/// Accumulates a whole B-file and remembers where each epoch starts.
class BFileBuilder {
  public:
    explicit BFileBuilder(BHeader header = {});

    BFileBuilder& Add(const BEpoch& epoch);
    /// Appends arbitrary bytes (garbage, a cut-off record).
    BFileBuilder& Raw(const std::string& bytes);

    const std::string& Bytes() const { return bytes_; }
    /// File offset of the i-th epoch added.
    std::size_t EpochOffset(std::size_t i) const { return offsets_.at(i); }
    std::size_t EpochCount() const { return offsets_.size(); }
    /// Writes the bytes to `path` (binary).
    void Save(const std::string& path) const;

  private:
    BHeader header_;
    std::string bytes_;
    std::vector<std::size_t> offsets_;
};

/// A satellite with the same warning, quality and snr in each of `blocks` blocks and plausible
/// values elsewhere (derived from the satellite number and block).
BSatellite MakeSatellite(std::uint8_t number, int blocks, std::uint8_t warning = 0);

}  // namespace kelvrant::test
