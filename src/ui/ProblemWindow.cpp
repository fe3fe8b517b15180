#include "ui/ProblemWindow.h"

#include <QMetaObject>
#include <QThread>

#include "ui/MessageBox.h"

namespace kelvrant {

std::string AutoRunErrorText(std::string_view text) {
    if (text.size() >= kErrorTextConversionLimit) return std::string(text);
    std::string converted;
    converted.reserve(text.size() + 16);
    for (const char c : text) {
        if (c == '\n' && (converted.empty() || converted.back() != '\r')) converted += '\r';
        converted += c;
    }
    return converted;
}

ProblemWindow::ProblemWindow(ProblemWindowHost& host, bool alwaysErrorWindow, QObject* parent)
    : QObject(parent), host_(host), alwaysErrorWindow_(alwaysErrorWindow) {}

void ProblemWindow::Report(std::string_view title, std::string_view text) {
    std::string titleCopy(title);
    std::string textCopy(text);
    if (QThread::currentThread() == thread()) {
        ReportHere(titleCopy, textCopy);
        return;
    }
    // The worker waits here until the window thread has shown the problem.
    QMetaObject::invokeMethod(
        this, [this, &titleCopy, &textCopy] { ReportHere(titleCopy, textCopy); },
        Qt::BlockingQueuedConnection);
}

void ProblemWindow::ReportHere(const std::string& title, const std::string& text) {
    ++reportCount_;
    titles_.push_back(title);
    if (!alwaysErrorWindow_ && !host_.IsUnattended()) {
        MessageBox::exclamation(host_.MessageParent(), QString::fromStdString(title),
                                QString::fromStdString(text));
        return;
    }
    host_.ShowAutoRunError(QString::fromStdString(title),
                           QString::fromStdString(AutoRunErrorText(text)));
}

}  // namespace kelvrant
