// Dialogs that never open: every request is recorded, confirmations and
// file dialogs are answered from queues the test fills (Cancel and an empty
// name when the queue is empty). Installed for the life of the object.
#pragma once

#include "platform/dialogs.h"
#include "tests/support/qt_printers.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <initializer_list>

namespace testing_support {

struct DialogRecord {
    QString kind;  // "message", "error", "box", "confirm", "save", "open", "openmany", "choose"
    QString caption;
    QString text;
};

class RecordingDialogs final : public platform::Dialogs {
  public:
    RecordingDialogs();
    ~RecordingDialogs() override;

    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    void ShowBox(platform::BoxKind kind, const QString& caption, const QString& text) override;
    bool ConfirmOkCancel(platform::BoxKind kind, const QString& text) override;
    QString GetSaveFileName(const QString& caption, const QString& dir,
                            const QString& filter) override;
    QString GetOpenFileName(const QString& caption, const QString& dir,
                            const QString& filter) override;
    QStringList GetOpenFileNames(const QString& caption, const QString& dir,
                                 const QString& filter) override;
    int ChooseItem(const QString& caption, const QString& label, const QStringList& items) override;

    QList<DialogRecord> records;
    QQueue<bool> confirmAnswers;
    QQueue<QString> fileAnswers;
    QQueue<QStringList> fileListAnswers;  // "openmany": none chosen when empty
    QQueue<int> choiceAnswers;            // "choose": -1 (cancel) when empty
    QStringList lastChoiceItems;          // the items the last "choose" offered

    QStringList Texts(const QString& kind) const;
    // Replaces the queued answers.
    void AnswerConfirmations(std::initializer_list<bool> answers) {
        confirmAnswers.clear();
        for (bool a : answers)
            confirmAnswers.enqueue(a);
    }
    void AnswerFiles(std::initializer_list<QString> names) {
        fileAnswers.clear();
        for (const QString& n : names)
            fileAnswers.enqueue(n);
    }
};

}  // namespace testing_support
