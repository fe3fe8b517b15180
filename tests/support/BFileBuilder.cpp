// B-file bytes for tests (see BFileBuilder.h).
#include "support/BFileBuilder.h"

#include <bit>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace kelvrant::test {
namespace {

// Little-endian appenders of the builder's own, kept apart from the program's decoders.
void PutUnsigned(std::string& out, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU8(std::string& out, std::uint8_t v) {
    PutUnsigned(out, v, 1);
}
void PutI8(std::string& out, std::int8_t v) {
    PutUnsigned(out, std::bit_cast<std::uint8_t>(v), 1);
}
void PutU16(std::string& out, std::uint16_t v) {
    PutUnsigned(out, v, 2);
}
void PutI16(std::string& out, std::int16_t v) {
    PutUnsigned(out, std::bit_cast<std::uint16_t>(v), 2);
}
void PutI32(std::string& out, std::int32_t v) {
    PutUnsigned(out, std::bit_cast<std::uint32_t>(v), 4);
}
void PutF32(std::string& out, float v) {
    PutUnsigned(out, std::bit_cast<std::uint32_t>(v), 4);
}
void PutF64(std::string& out, double v) {
    PutUnsigned(out, std::bit_cast<std::uint64_t>(v), 8);
}
void PutZeros(std::string& out, std::size_t n) {
    out.append(n, '\0');
}
void PutText(std::string& out, const std::string& text, std::size_t width, char pad) {
    std::string field = text.substr(0, width);
    field.resize(width, pad);
    out += field;
}

}  // namespace

std::string EncodeBHeader(const BHeader& h) {
    std::string out;
    PutText(out, h.versionText, 7, '\0');  // 0
    PutZeros(out, 3);                      // 7
    PutU8(out, h.formatVersion);           // 10
    PutText(out, h.receiverType, 10, '\0');
    PutText(out, h.versionSecond, 10, '\0');
    PutText(out, h.versionFirst, 10, '\0');
    PutI16(out, h.dataType);   // 41
    PutI32(out, h.week);       // 43
    PutI8(out, h.blockCount);  // 47
    PutZeros(out, 42);         // 48
    if (out.size() != kBHeaderSize) throw std::logic_error("B-file header size");
    return out;
}

std::string EncodeBObsBlock(const BObsBlock& b) {
    std::string out;
    PutF64(out, b.rawRange);   // 0
    PutF32(out, b.smoothing);  // 8
    PutZeros(out, 3);          // 12
    PutU8(out, b.warning);     // 15
    PutU8(out, b.quality);     // 16
    PutU8(out, b.snr);         // 17
    PutZeros(out, 1);          // 18
    PutI32(out, b.doppler);    // 19
    PutF64(out, b.phase);      // 23
    if (out.size() != kBObsBlockSize) throw std::logic_error("observation block size");
    return out;
}

std::string EncodeBEpoch(const BEpoch& e, int blocksPerSatellite) {
    std::string out;
    PutText(out, e.site, 4, ' ');  // 0
    PutF64(out, e.time);           // 4
    PutF64(out, e.x);              // 12
    PutF64(out, e.y);              // 20
    PutF64(out, e.z);              // 28
    PutZeros(out, 12);             // 36
    PutF64(out, e.clockOffset);    // 48
    PutZeros(out, 8);              // 56
    PutU16(out, e.pdop100);        // 64
    PutI8(out, e.satCount ? *e.satCount : static_cast<std::int8_t>(e.satellites.size()));
    if (out.size() != kBEpochSize) throw std::logic_error("epoch record size");
    for (const BSatellite& s : e.satellites) {
        PutU8(out, s.number);
        PutZeros(out, 3);
        for (int k = 0; k < blocksPerSatellite; ++k) {
            const auto kk = static_cast<std::size_t>(k);
            out += kk < s.blocks.size() ? EncodeBObsBlock(s.blocks[kk])
                                        : std::string(kBObsBlockSize, '\0');
        }
    }
    return out;
}

BFileBuilder::BFileBuilder(BHeader header) : header_(std::move(header)) {
    bytes_ = EncodeBHeader(header_);
}

BFileBuilder& BFileBuilder::Add(const BEpoch& epoch) {
    offsets_.push_back(bytes_.size());
    bytes_ += EncodeBEpoch(epoch, header_.blockCount);
    return *this;
}

BFileBuilder& BFileBuilder::Raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
}

void BFileBuilder::Save(const std::string& path) const {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot create " + path);
    const bool ok = std::fwrite(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error("cannot write " + path);
}

BSatellite MakeSatellite(std::uint8_t number, int blocks, std::uint8_t warning) {
    BSatellite s;
    s.number = number;
    for (int k = 0; k < blocks; ++k) {
        BObsBlock b;
        b.rawRange = 0.070 + 0.0001 * number + 0.00001 * k;
        b.smoothing = 0.25f * static_cast<float>(k + 1);
        b.warning = warning;
        b.quality = 24;
        b.snr = static_cast<std::uint8_t>(40 + k);
        b.doppler = -12345678 + 1000 * number + k;
        b.phase = 1.0e7 + 1000.0 * number + 0.125 * k;
        s.blocks.push_back(b);
    }
    return s;
}

}  // namespace kelvrant::test
