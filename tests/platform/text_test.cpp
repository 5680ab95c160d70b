#include "platform/cp1250.h"
#include "platform/errors.h"
#include "platform/text_file.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <QDir>
#include <QFile>

namespace {

TEST(Cp1250, EveryByteAgreesWithTheSystemConverterAndRoundTrips) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1250");
    ASSERT_NE(cd, iconv_t(-1));
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char16_t out = 0;
        char* inp = &in;
        size_t inLeft = 1;
        char* outp = reinterpret_cast<char*>(&out);
        size_t outLeft = 2;
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1)) {
            EXPECT_EQ(platform::Cp1250ToUnicode(uchar(b)), out) << "byte " << b;
            ++compared;
        }
        const QByteArray one(1, char(b));
        EXPECT_EQ(platform::EncodeCp1250(platform::DecodeCp1250(one)), one) << "byte " << b;
    }
    iconv_close(cd);
    EXPECT_GE(compared, 251);  // all but the five bytes cp1250 leaves undefined
    EXPECT_EQ(platform::EncodeCp1250(QString::fromUtf8("a€→")), QByteArray("a\x80?"));
}

TEST(TextFile, LinesSplitOnAnyLineEnd) {
    EXPECT_EQ(platform::SplitLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(platform::SplitLines("a\r\n\r\n"), QStringList({"a", ""}));
    EXPECT_TRUE(platform::SplitLines("").isEmpty());
}

TEST(TextFile, AppendAndReadBack) {
    testing_support::TempProgramDir dir;
    const QString f = dir.File("S59ABC.log");
    platform::AppendTextLine(f, QString::fromUtf8("ena Č"));
    platform::AppendTextLine(f, "dva");
    EXPECT_EQ(dir.Read("S59ABC.log"), QByteArray("ena \xC8\r\ndva\r\n"));
    EXPECT_EQ(platform::ReadTextLines(f), QStringList({QString::fromUtf8("ena Č"), "dva"}));
    EXPECT_THROW(platform::ReadTextLines(dir.File("missing.log")), platform::IoError);
    EXPECT_THROW(platform::AppendTextLine(dir.File("no/dir/x.log"), "x"), platform::IoError);
}

TEST(TextFile, AtomicWriteReplacesWholeFileOrNothing) {
    testing_support::TempProgramDir dir;
    dir.Write("a.txt", "old contents");
    QString error;
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("a.txt"), "new", &error));
    EXPECT_EQ(dir.Read("a.txt"), "new");
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("nodir/a.txt"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    // No temporary files left behind.
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList({"a.txt"}));
}

}  // namespace
