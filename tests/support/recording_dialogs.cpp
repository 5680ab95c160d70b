#include "recording_dialogs.h"

namespace testing_support {

RecordingDialogs::RecordingDialogs() {
    platform::SetDialogs(this);
}
RecordingDialogs::~RecordingDialogs() {
    platform::SetDialogs(nullptr);
}

void RecordingDialogs::ShowMessage(const QString& text) {
    records.append({QStringLiteral("message"), QString(), text});
}

void RecordingDialogs::ShowError(const QString& text) {
    records.append({QStringLiteral("error"), QString(), text});
}

void RecordingDialogs::ShowBox(platform::BoxKind, const QString& caption, const QString& text) {
    records.append({QStringLiteral("box"), caption, text});
}

bool RecordingDialogs::ConfirmOkCancel(platform::BoxKind, const QString& text) {
    records.append({QStringLiteral("confirm"), QString(), text});
    return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
}

QString RecordingDialogs::GetSaveFileName(const QString& caption, const QString&,
                                          const QString& filter) {
    records.append({QStringLiteral("save"), caption, filter});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString RecordingDialogs::GetOpenFileName(const QString& caption, const QString&,
                                          const QString& filter) {
    records.append({QStringLiteral("open"), caption, filter});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QStringList RecordingDialogs::GetOpenFileNames(const QString& caption, const QString&,
                                               const QString& filter) {
    records.append({QStringLiteral("openmany"), caption, filter});
    return fileListAnswers.isEmpty() ? QStringList() : fileListAnswers.dequeue();
}

int RecordingDialogs::ChooseItem(const QString& caption, const QString& label,
                                 const QStringList& items) {
    records.append({QStringLiteral("choose"), caption, label});
    lastChoiceItems = items;
    return choiceAnswers.isEmpty() ? -1 : choiceAnswers.dequeue();
}

QStringList RecordingDialogs::Texts(const QString& kind) const {
    QStringList out;
    for (const auto& r : records) {
        if (r.kind == kind) {
            out.append(r.text);
        }
    }
    return out;
}

}  // namespace testing_support
