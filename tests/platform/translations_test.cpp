// The toolkit's standard texts read in Slovenian once the programs' application object exists.
#include "platform/translations.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>

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

TEST(StandardTranslations, AMissingCatalogueIsReportedNotFatal) {
    QTemporaryDir empty;
    EXPECT_FALSE(platform::InstallStandardTranslations(empty.path()));
}

}  // namespace
