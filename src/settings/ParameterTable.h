// The parameter table of the RINEX header/option parameter file: each entry binds a key to a
// field (text, Yes/No, integer or real) and ParseLine reads one "KEY   value" line, whose value
// stands at a fixed column, into the field of its key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

class ParameterTable {
  public:
    /// Codes of TakeError.
    enum : int {
        kNoError = 0,
        kNoRoom = 1,        ///< table full (capacity - 1 entries) or out of memory
        kUnknownParam = 2,  ///< no entry has the line's key
        kFormatError = 3,   ///< a text value without its opening double quote
        kRangeError = 4,    ///< a Yes/No word or number that cannot be read or is out of range
    };
    /// A text of unlimited length (file paths).
    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

    /// A table of at most `capacity` - 1 entries whose values start at `valueColumn`
    /// (counted from 0).
    ParameterTable(int capacity, int valueColumn);
    ParameterTable(const ParameterTable&) = delete;
    ParameterTable& operator=(const ParameterTable&) = delete;

    /// Each binds `name` (at most 127 characters) to `target`, which must outlive the table.
    /// False with code 1 when the table is full.
    bool AddStringParam(std::string_view name, std::string* target, std::size_t maxLength);
    bool AddYesNoParam(std::string_view name, std::int32_t* target);
    bool AddIntParam(std::string_view name, std::int32_t* target, std::int32_t min,
                     std::int32_t max);
    bool AddDoubleParam(std::string_view name, double* target, double min, double max);

    /// Parses one line as read (its line feed, if any, included) into the field of its key.
    /// False with code 2, 3 or 4.
    bool ParseLine(std::string_view line);

    /// The last code; resets it to 0.
    int TakeError() {
        const int code = error_;
        error_ = kNoError;
        return code;
    }
    int EntryCount() const { return static_cast<int>(entries_.size()); }

  private:
    enum class Kind { String, YesNo, Int, Double };
    struct Entry {
        Kind kind = Kind::String;
        std::string name;
        std::string* text = nullptr;
        std::int32_t* integer = nullptr;
        double* real = nullptr;
        std::size_t maxLength = 0;
        std::int32_t intMin = 0, intMax = 0;
        double realMin = 0.0, realMax = 0.0;
    };
    bool Add(Entry entry);

    std::vector<Entry> entries_;
    int capacity_;
    int error_ = kNoError;
    std::size_t valueColumn_;
};

}  // namespace kelvrant
