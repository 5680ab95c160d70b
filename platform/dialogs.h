// Modal message boxes and file dialogs, behind one replaceable provider so
// window tests can read what would be shown and answer it.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum class BoxKind { Information, Warning, Error, Confirmation };

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // ShowMessage, ShowError and ConfirmOkCancel boxes are captioned with the
    // program's name, the application name set in main().

    // A plain message box with an OK button (the "ShowMessage" of the
    // programs); lines may be separated by "\n\r" as the texts are stored.
    virtual void ShowMessage(const QString& text) = 0;
    // The standard error box of the application.
    virtual void ShowError(const QString& text) = 0;
    // A box with a caption, an icon and an OK button.
    virtual void ShowBox(BoxKind kind, const QString& caption, const QString& text) = 0;
    // OK/Cancel; true for OK.
    virtual bool ConfirmOkCancel(BoxKind kind, const QString& text) = 0;
    // Empty text when cancelled.
    virtual QString GetSaveFileName(const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    virtual QString GetOpenFileName(const QString& caption, const QString& dir,
                                    const QString& filter) = 0;
    // Any number of existing files; empty when cancelled.
    virtual QStringList GetOpenFileNames(const QString& caption, const QString& dir,
                                         const QString& filter) = 0;
    // One item of a list (the first is preselected); its index, or -1 when
    // cancelled.
    virtual int ChooseItem(const QString& caption, const QString& label,
                           const QStringList& items) = 0;
};

// The provider in use; by default real Qt dialogs.
Dialogs& CurrentDialogs();
// Installs a provider (nullptr restores the real dialogs). Not owned.
void SetDialogs(Dialogs* dialogs);

// The texts are stored with "\n\r" between lines; a screen wants "\n".
QString DisplayText(const QString& stored);

// Shorthands.
inline void ShowMessage(const QString& text) {
    CurrentDialogs().ShowMessage(text);
}
inline void ShowError(const QString& text) {
    CurrentDialogs().ShowError(text);
}

}  // namespace platform
