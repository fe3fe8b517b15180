// Writer slots and line writers (see LineWriter.h).
#include "rinex/LineWriter.h"

#include <array>
#include <cstdarg>
#include <string>

#include "geo/Clock.h"

namespace kelvrant {
namespace {

struct Slot {
    std::FILE* file = nullptr;
    std::string programName;
    int angleFactorFlag = 1;
    bool writeFailed = false;
};

std::array<Slot, kWriterSlotCount> gSlots;
int gError = kWriterOk;
bool gInitialised = false;
// The line buffer shared by all slots; it grows for over-long lines instead of cutting them.
std::string gLine;

void Initialise() {
    if (gInitialised) return;
    for (Slot& s : gSlots)
        s = Slot{};
    gLine.reserve(256);
    gInitialised = true;
}

Slot* OpenSlot(int slot) {
    if (slot < 0 || slot >= kWriterSlotCount ||
        gSlots[static_cast<std::size_t>(slot)].file == nullptr) {
        gError = kWriterBadSlot;
        return nullptr;
    }
    return &gSlots[static_cast<std::size_t>(slot)];
}

void VFormatInto(std::string& out, const char* format, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
        return;
    }
    const std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data() + old, static_cast<std::size_t>(n) + 1, format, args);
    out.resize(old + static_cast<std::size_t>(n));
}

int Emit(Slot& s, std::string_view bytes) {
    if (bytes.empty()) return 1;
    if (std::fwrite(bytes.data(), 1, bytes.size(), s.file) != bytes.size()) s.writeFailed = true;
    return 1;
}

int EmitHeader(Slot& s, std::string& line) {
    line.resize(80, ' ');
    line.append("\r\n");
    return Emit(s, line);
}

int EmitData(Slot& s, std::string& line) {
    std::size_t end = line.size();
    while (end > 0 && line[end - 1] == ' ')
        --end;
    line.resize(end);
    line.append("\r\n");
    return Emit(s, line);
}

}  // namespace

int WriterError() {
    return gError;
}

int TakeWriterError() {
    const int e = gError;
    gError = kWriterOk;
    return e;
}

void SetWriterError(int code) {
    gError = code;
}

int ClaimWriterSlot(std::FILE* file, std::string_view programName) {
    Initialise();
    if (file == nullptr) {
        gError = kWriterNoFile;
        return -1;
    }
    for (int i = 0; i < kWriterSlotCount; ++i) {
        Slot& s = gSlots[static_cast<std::size_t>(i)];
        if (s.file == nullptr) {
            s.file = file;
            s.programName.assign(programName.substr(0, 20));
            s.writeFailed = false;
            return i;
        }
    }
    gError = kWriterNoFreeSlot;
    return -1;
}

int ReleaseWriterSlot(int slot) {
    if (slot < 0 || slot >= kWriterSlotCount) {
        gError = kWriterBadSlot;
        return 0;
    }
    Slot& s = gSlots[static_cast<std::size_t>(slot)];
    s.file = nullptr;
    s.programName.clear();
    return 1;
}

bool SlotIsOpen(int slot) {
    return slot >= 0 && slot < kWriterSlotCount &&
           gSlots[static_cast<std::size_t>(slot)].file != nullptr;
}

std::FILE* SlotFile(int slot) {
    return SlotIsOpen(slot) ? gSlots[static_cast<std::size_t>(slot)].file : nullptr;
}

std::string_view SlotProgramName(int slot) {
    if (slot < 0 || slot >= kWriterSlotCount) return {};
    return gSlots[static_cast<std::size_t>(slot)].programName;
}

int SlotAngleFactorFlag(int slot) {
    if (slot < 0 || slot >= kWriterSlotCount) return 1;
    return gSlots[static_cast<std::size_t>(slot)].angleFactorFlag;
}

void SetSlotAngleFactorFlag(int slot, int flag) {
    if (slot < 0 || slot >= kWriterSlotCount) return;
    gSlots[static_cast<std::size_t>(slot)].angleFactorFlag = flag;
}

bool SlotWriteFailed(int slot) {
    if (slot < 0 || slot >= kWriterSlotCount) return false;
    return gSlots[static_cast<std::size_t>(slot)].writeFailed;
}

int WriteHeaderLine(int slot, const char* format, ...) {
    Slot* s = OpenSlot(slot);
    if (s == nullptr) return 0;
    gLine.clear();
    std::va_list args;
    va_start(args, format);
    VFormatInto(gLine, format, args);
    va_end(args);
    return EmitHeader(*s, gLine);
}

int WriteDataLine(int slot, const char* format, ...) {
    Slot* s = OpenSlot(slot);
    if (s == nullptr) return 0;
    gLine.clear();
    std::va_list args;
    va_start(args, format);
    VFormatInto(gLine, format, args);
    va_end(args);
    return EmitData(*s, gLine);
}

int WriteHeaderText(int slot, std::string_view text) {
    Slot* s = OpenSlot(slot);
    if (s == nullptr) return 0;
    gLine.assign(text);
    return EmitHeader(*s, gLine);
}

int WriteDataText(int slot, std::string_view text) {
    Slot* s = OpenSlot(slot);
    if (s == nullptr) return 0;
    gLine.assign(text);
    return EmitData(*s, gLine);
}

int WriteRawText(int slot, std::string_view bytes) {
    Slot* s = OpenSlot(slot);
    if (s == nullptr) return 0;
    return Emit(*s, bytes);
}

void AppendFormat(std::string* buffer, const char* format, ...) {
    if (buffer == nullptr) return;
    std::va_list args;
    va_start(args, format);
    VFormatInto(*buffer, format, args);
    va_end(args);
}

std::string Format(const char* format, ...) {
    std::string out;
    std::va_list args;
    va_start(args, format);
    VFormatInto(out, format, args);
    va_end(args);
    return out;
}

int WritePgmRunByDateLine(int slot, std::string_view runBy) {
    if (OpenSlot(slot) == nullptr) return 0;
    const UtcTime now = NowUtc();
    const std::string program(SlotProgramName(slot));
    const std::string agency(runBy);
    return WriteHeaderLine(slot, "%-20.20s%-20.20s %02d/%02d/%02d %02d:%02d   %20.20s",
                           program.c_str(), agency.c_str(), now.month, now.day, now.year, now.hour,
                           now.minute, label::kPgmRunByDate.data());
}

int WriteCommentLine(int slot, std::string_view comment) {
    const std::string text(comment);
    return WriteHeaderLine(slot, "%-60.60s%20.20s", text.c_str(), label::kComment.data());
}

void ResetWriterSlotsForTest() {
    gInitialised = false;
    Initialise();
    gError = kWriterOk;
}

}  // namespace kelvrant
