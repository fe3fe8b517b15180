// The window side of "Special Paste (Full Position)" and "Special Copy (Full Position)": reads
// and writes the real clipboard as plain text, hands the text to the recognizer, and shows the
// messages of a failed paste or copy. The clipboard access is a seam so tests can make the
// clipboard refuse a write.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "forms/PositionTextRecognizer.h"

class QWidget;

namespace kelvrant {

/// Plain-text access to the clipboard.
class ClipboardPort {
  public:
    virtual ~ClipboardPort() = default;
    /// The clipboard's plain text, one byte per character (Latin-1); nullopt when it offers
    /// no text.
    virtual std::optional<std::string> ReadText() = 0;
    /// Empties the clipboard and puts the text on it; false when it could not be written.
    virtual bool WriteText(const std::string& text) = 0;
};

/// The application's clipboard through QGuiApplication::clipboard().
ClipboardPort& SystemClipboard();
/// Replaces the clipboard the windows use (nullptr restores the system clipboard).
void SetClipboardPort(ClipboardPort* port);
/// The clipboard the windows use.
ClipboardPort& CurrentClipboard();

inline const QString kPasteErrorTitle = QStringLiteral("ERROR: Special Paste Error.");
inline const QString kPasteErrorText = QStringLiteral(
    "The Clipboard does not have recognized coordinates...\nAborted Paste Operation.");
inline const QString kCopyErrorTitle = QStringLiteral("ERROR: Clipboard Write Error.");
inline const QString kCopyErrorText =
    QStringLiteral("Clipboard write operation failed...  Aborted\nclipboard copy task.");

/// The recognizer over the real clipboard. One instance may serve every window.
class PositionClipboard {
  public:
    /// Reads the clipboard: true when it holds 1 to 255 characters with at least one number.
    bool ReadClipboard();
    /// Reads the clipboard again and writes a recognized position to x, y, z (metres); false
    /// leaves them unchanged.
    bool ParsePosition(double& x, double& y, double& z);
    /// Puts the full-position text of x, y, z on the clipboard; true when it was written.
    static bool CopyPosition(double x, double y, double z);
    /// The recognizer's outcome of the last read.
    [[nodiscard]] const PasteResult& Result() const { return recognizer_.Result(); }

  private:
    PositionTextRecognizer recognizer_;
};

/// What the windows' "Special Paste (Full Position)" does: on a recognized clipboard position
/// writes it to x, y, z and returns true; otherwise shows the paste error (stop icon) and
/// returns false with x, y, z unchanged.
bool PastePositionOrReport(QWidget* parent, double& x, double& y, double& z);
/// What "Special Copy (Full Position)" does: copies x, y, z, or shows the copy error.
bool CopyPositionOrReport(QWidget* parent, double x, double y, double z);

}  // namespace kelvrant
