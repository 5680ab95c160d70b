// The toolkit's standard texts read in Slovenian once the programs' application object exists.
#include "platform/translations.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(StandardTranslations, StandardButtonsReadInSlovenian) {
    // The test's application object is the programs' own, which loads the catalogue.
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save |
                         QDialogButtonBox::Open);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Prekliči"));
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QString::fromUtf8("Shrani"));
    EXPECT_EQ(box.button(QDialogButtonBox::Open)->text(), QString::fromUtf8("Odpri"));
}

TEST(StandardTranslations, TheProgramsOwnBoxesSayOkAndCancelAsTheirTextsDo) {
    platform::SetDialogs(nullptr);  // the real boxes, answered as soon as each is up
    QStringList buttons;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            for (QAbstractButton* b : box->buttons())
                buttons.append(b->text());
            box->done(0);
        }
    });
    answer.start(1);
    platform::ShowMessage("Brisanje - OK !");
    platform::ShowError("napaka");
    platform::CurrentDialogs().ShowBox(platform::BoxKind::Information, "KV prvenstvo ZRS", "");
    platform::CurrentDialogs().ConfirmOkCancel(platform::BoxKind::Error, "ne briši - CANCEL !");
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Cancel", "OK", "OK", "OK", "OK"}));
}

TEST(StandardTranslations, AMissingCatalogueIsReportedNotFatal) {
    QTemporaryDir empty;
    EXPECT_FALSE(platform::InstallStandardTranslations(empty.path()));
}

}  // namespace
