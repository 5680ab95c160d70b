#include "dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {

namespace {

QMessageBox::Icon IconOf(BoxKind kind) {
    switch (kind) {
        case BoxKind::Information:
            return QMessageBox::Information;
        case BoxKind::Warning:
            return QMessageBox::Warning;
        case BoxKind::Error:
            return QMessageBox::Critical;
        case BoxKind::Confirmation:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The program's own boxes name their buttons as their texts do ("Brisanje - OK !",
// "... ne briši - CANCEL !"): "OK" and "Cancel", whatever language the toolkit's
// standard buttons are in. The Slovenian catalogue stays installed for everything else
// (file dialogs, the item list, edit menus), so the texts are set here, box by box.
void UseDesignedButtonTexts(QMessageBox& box) {
    if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
        ok->setText(QStringLiteral("OK"));
    }
    if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
        cancel->setText(QStringLiteral("Cancel"));
    }
}

QWidget* Owner() {
    return QApplication::activeWindow();
}

// The program's own boxes carry its name, as they always have: that is the
// application name main() sets. Not the display name: Qt would append that to
// every window title, and each window's caption is exactly the designed one.
QString ProgramCaption() {
    return QCoreApplication::applicationName();
}

class QtDialogs final : public Dialogs {
  public:
    void ShowMessage(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, ProgramCaption(), DisplayText(text), QMessageBox::Ok,
                        Owner());
        UseDesignedButtonTexts(box);
        box.exec();
    }
    void ShowError(const QString& text) override {
        ShowBox(BoxKind::Error, ProgramCaption(), text);
    }
    void ShowBox(BoxKind kind, const QString& caption, const QString& text) override {
        QMessageBox box(IconOf(kind), caption, DisplayText(text), QMessageBox::Ok, Owner());
        UseDesignedButtonTexts(box);
        box.exec();
    }
    bool ConfirmOkCancel(BoxKind kind, const QString& text) override {
        QMessageBox box(IconOf(kind), ProgramCaption(), DisplayText(text),
                        QMessageBox::Ok | QMessageBox::Cancel, Owner());
        UseDesignedButtonTexts(box);
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    }
    QString GetSaveFileName(const QString& caption, const QString& dir,
                            const QString& filter) override {
        return QFileDialog::getSaveFileName(Owner(), caption, dir, filter);
    }
    QString GetOpenFileName(const QString& caption, const QString& dir,
                            const QString& filter) override {
        return QFileDialog::getOpenFileName(Owner(), caption, dir, filter);
    }
    QStringList GetOpenFileNames(const QString& caption, const QString& dir,
                                 const QString& filter) override {
        return QFileDialog::getOpenFileNames(Owner(), caption, dir, filter);
    }
    int ChooseItem(const QString& caption, const QString& label,
                   const QStringList& items) override {
        bool ok = false;
        const QString item = QInputDialog::getItem(Owner(), caption, label, items, 0, false, &ok);
        return ok ? static_cast<int>(items.indexOf(item)) : -1;
    }
};

Dialogs*& Installed() {
    static Dialogs* installed = nullptr;
    return installed;
}

}  // namespace

Dialogs& CurrentDialogs() {
    static QtDialogs real;
    return Installed() ? *Installed() : real;
}

void SetDialogs(Dialogs* dialogs) {
    Installed() = dialogs;
}

QString DisplayText(const QString& stored) {
    QString t = stored;
    t.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

}  // namespace platform
