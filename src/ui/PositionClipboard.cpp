#include "ui/PositionClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ui/MessageBox.h"

namespace kelvrant {
namespace {

class QtClipboard final : public ClipboardPort {
  public:
    std::optional<std::string> ReadText() override {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
        if (data == nullptr || !data->hasText()) return std::nullopt;
        const QByteArray bytes = data->text().toLatin1();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

    bool WriteText(const std::string& text) override {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard == nullptr) return false;
        const QString value = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        clipboard->clear();
        clipboard->setText(value);
        // The clipboard gives no status; reading the text back tells whether it took it.
        return clipboard->text() == value;
    }
};

ClipboardPort* g_port = nullptr;

}  // namespace

ClipboardPort& SystemClipboard() {
    static QtClipboard clipboard;
    return clipboard;
}

void SetClipboardPort(ClipboardPort* port) {
    g_port = port;
}

ClipboardPort& CurrentClipboard() {
    return g_port != nullptr ? *g_port : SystemClipboard();
}

bool PositionClipboard::ReadClipboard() {
    const std::optional<std::string> text = CurrentClipboard().ReadText();
    if (!text) return recognizer_.ReadClipboard(std::string_view{});
    return recognizer_.ReadClipboard(*text);
}

bool PositionClipboard::ParsePosition(double& x, double& y, double& z) {
    const std::optional<std::string> text = CurrentClipboard().ReadText();
    return recognizer_.ParsePosition(text ? std::string_view(*text) : std::string_view{}, x, y, z);
}

bool PositionClipboard::CopyPosition(double x, double y, double z) {
    return CurrentClipboard().WriteText(PositionTextRecognizer::CopyPositionText(x, y, z));
}

bool PastePositionOrReport(QWidget* parent, double& x, double& y, double& z) {
    PositionClipboard paste;
    if (paste.ReadClipboard() && paste.ParsePosition(x, y, z)) return true;
    MessageBox::stop(parent, kPasteErrorTitle, kPasteErrorText);
    return false;
}

bool CopyPositionOrReport(QWidget* parent, double x, double y, double z) {
    if (PositionClipboard::CopyPosition(x, y, z)) return true;
    MessageBox::stop(parent, kCopyErrorTitle, kCopyErrorText);
    return false;
}

}  // namespace kelvrant
