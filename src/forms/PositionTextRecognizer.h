// Special paste and copy of a full position as text. The recognizer takes free text (a report
// line, a spreadsheet row, another program's output), finds its numbers, gives them roles by
// keywords, value ranges and adjacency, and delivers one WGS-84 position as X, Y, Z. The copy
// side writes a position as two lines of text that paste back to the same X, Y, Z.
// Pure text processing: the window code reads and writes the real clipboard.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

/// The roles a number of the text may take, one bit each.
namespace paste_role {
inline constexpr std::uint32_t kLatitude = 0x1;
inline constexpr std::uint32_t kEastLongitude = 0x2;
inline constexpr std::uint32_t kWestLongitude = 0x4;
inline constexpr std::uint32_t kHeight = 0x8;
inline constexpr std::uint32_t kLatDegrees = 0x10;
inline constexpr std::uint32_t kLatMinutes = 0x20;
inline constexpr std::uint32_t kLatSeconds = 0x40;
inline constexpr std::uint32_t kEastDegrees = 0x100;
inline constexpr std::uint32_t kEastMinutes = 0x200;
inline constexpr std::uint32_t kEastSeconds = 0x400;
inline constexpr std::uint32_t kWestDegrees = 0x1000;
inline constexpr std::uint32_t kWestMinutes = 0x2000;
inline constexpr std::uint32_t kWestSeconds = 0x4000;
inline constexpr std::uint32_t kX = 0x10000;
inline constexpr std::uint32_t kY = 0x20000;
inline constexpr std::uint32_t kZ = 0x40000;
}  // namespace paste_role

/// How a paste ended: a failure, or which form of position the text gave.
enum class PasteCase {
    kNoUsableText,      ///< not 1 to 255 characters, or no number in it
    kNotRecognized,     ///< numbers, but no complete position
    kCartesian,         ///< X, Y, Z
    kLatEastHeight,     ///< latitude, east longitude, height (decimal degrees)
    kLatWestHeight,     ///< latitude, west longitude, height (decimal degrees)
    kLatEastDmsHeight,  ///< latitude and east longitude in degrees/minutes/seconds, height
    kLatWestDmsHeight,  ///< latitude and west longitude in degrees/minutes/seconds, height
};

/// The outcome of one paste. X, Y, Z are set when the position was recognized; latitude,
/// east longitude and height only for the geodetic cases (the values the text gave).
struct PasteResult {
    PasteCase kind = PasteCase::kNoUsableText;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double latitude = 0.0;
    double eastLongitude = 0.0;
    double height = 0.0;

    [[nodiscard]] bool Recognized() const {
        return kind != PasteCase::kNoUsableText && kind != PasteCase::kNotRecognized;
    }
};

/// One number found in the text.
struct PasteNumber {
    std::string text;  ///< as written (upper-cased text), sign included
    int position = 0;  ///< index of its first character in the text
    double value = 0.0;
    bool plainInteger = false;  ///< digits with at most a leading minus sign
    bool excluded = false;      ///< written after COV or DOT: takes no role
    std::uint32_t roles = 0;    ///< candidate set after recognition
};

/// The clipboard position recognizer. Every read starts from a cleared state.
class PositionTextRecognizer {
  public:
    static constexpr std::size_t kMaxTextLength = 255;
    static constexpr std::size_t kMaxNumbers = 255;

    /// Takes the clipboard's text: true when it has 1 to 255 characters (bytes; the window
    /// passes one byte per character) and at least one number. The text is then parsed and
    /// the outcome is in Result().
    bool ReadClipboard(std::string_view text);

    /// Reads the text again and, when a complete position is recognized, writes it to x, y, z
    /// (metres) and returns true. On failure x, y, z are left as they were.
    bool ParsePosition(std::string_view text, double& x, double& y, double& z);

    /// The outcome of the last read.
    [[nodiscard]] const PasteResult& Result() const { return result_; }
    /// The last text after upper-casing and blanking of bracketed spans.
    [[nodiscard]] const std::string& PreparedText() const { return text_; }
    /// The numbers of the last text, with their final candidate sets.
    [[nodiscard]] const std::vector<PasteNumber>& Numbers() const { return numbers_; }

    /// The text that "Special Copy (Full Position)" puts on the clipboard. Values whose root
    /// sum of squares is at least 6,300,000 m are X, Y, Z; smaller ones are latitude,
    /// longitude and height. Two lines, each ending in CR LF.
    static std::string CopyPositionText(double x, double y, double z);

  private:
    static constexpr int kRoles = 16;
    struct Slot {
        bool filled = false;
        double value = 0.0;
        std::uint32_t roles = 0;
    };

    void Clear();
    void SplitNumbers();
    void LocateKeywords();
    void BindFollowing(int keyKeyword, int second, int third, int key);
    void FindWord(int role, std::string_view word, std::initializer_list<std::string_view> dms);
    void ExcludeAfter(std::string_view word);
    void MatchDmsPatterns();
    void AssignRoles();
    void RestrictRolesByRange();
    void RestrictRolesByTriples();
    void BindRolesToKeywords();
    void TakeAdjacentLabels();
    void EliminateTakenRoles();
    void TakeLeftoverAsHeight();
    void FillSlotsInTextOrder();
    void Decide();
    [[nodiscard]] bool SlotHolds(int role) const;

    std::string text_;
    std::string keywordText_;
    std::vector<PasteNumber> numbers_;
    std::vector<std::size_t> active_;  // indices of the numbers not excluded, in text order
    std::array<int, kRoles>
        keyword_{};  // keyword positions (see PositionTextRecognizer.cpp), or kNone
    std::array<Slot, kRoles> slots_{};
    PasteResult result_;
};

/// Recognizes one position in text (one read of a fresh recognizer).
PasteResult SpecialPastePosition(std::string_view text);

/// Formats a value by a picture of '#' (optional digit), '0' (required digit) and one '.':
/// as many decimals as the picture has after the point (trailing '#' decimals dropped when
/// zero), at least as many integer digits as it has '0's before the point, never grouped.
/// A minus sign only when the rounded value is not zero.
std::string FormatPicture(double value, std::string_view picture);

}  // namespace kelvrant
