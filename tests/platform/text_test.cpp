#include "platform/cp1250.h"
#include "platform/errors.h"
#include "platform/text_file.h"
#include "tests/support/disk_limits.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

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

TEST(TextFile, AppendStartsOnALineOfItsOwn) {
    // A file last saved by a text editor may end without a line end.
    const struct {
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"", "new\r\n"},           {"old", "old\r\nnew\r\n"}, {"old\r\n", "old\r\nnew\r\n"},
        {"old\n", "old\nnew\r\n"}, {"old\r", "old\rnew\r\n"},
    };
    for (const auto& c : cases) {
        testing_support::TempProgramDir dir;
        dir.Write("a.log", c.before);
        platform::AppendTextLine(dir.File("a.log"), "new");
        EXPECT_EQ(dir.Read("a.log"), c.after) << c.before.toStdString();
    }
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

QString SystemText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

QStringList FilesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden);
}

// What a rewrite gives in a child whose files may not grow past `limit`:
// "ok", or the reason it reported.
QString RewriteUnderLimit(const QString& file, const QByteArray& bytes, off_t limit) {
    return testing_support::RunWithFileSizeLimit(limit, [&] {
        QString error;
        return platform::WriteFileAtomically(file, bytes, &error) ? QStringLiteral("ok") : error;
    });
}

TEST(TextFile, RewriteThatHitsTheSizeLimitKeepsTheOldFileByteForByte) {
    // Small files are the treacherous ones: a buffered writer holds them
    // until the end and may never look at the failed write.
    struct Case {
        int oldSize;
        int newSize;
        off_t limit;
    };
    const Case cases[] = {
        {30, 100, 50}, {0, 10, 1}, {5000, 5001, 5000}, {700, 20000, 4096}, {100, 1 << 20, 65536}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("old %1 new %2 limit %3")
                         .arg(c.oldSize)
                         .arg(c.newSize)
                         .arg(c.limit)
                         .toStdString());
        testing_support::TempProgramDir dir;
        QByteArray old(c.oldSize, 'o');
        for (int i = 0; i < c.oldSize; ++i) {
            old[i] = char('a' + i % 26);
        }
        dir.Write("S59ABC.log", old);
        const QString result =
            RewriteUnderLimit(dir.File("S59ABC.log"), QByteArray(c.newSize, 'n'), c.limit);
        EXPECT_EQ(result, SystemText(EFBIG));
        EXPECT_EQ(dir.Read("S59ABC.log"), old);
        EXPECT_EQ(FilesIn(dir.Path()), QStringList({"S59ABC.log"}));  // no temporary left
    }
}

TEST(TextFile, RewriteWithinTheSizeLimitReplacesTheFileAndKeepsItsRights) {
    testing_support::TempProgramDir dir;
    dir.Write("a.ini", "old");
    ASSERT_TRUE(QFile::setPermissions(dir.File("a.ini"), QFile::ReadOwner | QFile::WriteOwner));
    // A link is followed: the file it points at is replaced, the link stays.
    ASSERT_TRUE(QFile::link(dir.File("a.ini"), dir.File("link.ini")));
    EXPECT_EQ(RewriteUnderLimit(dir.File("link.ini"), QByteArray(100, 'n'), 100), "ok");
    EXPECT_EQ(dir.Read("a.ini"), QByteArray(100, 'n'));
    EXPECT_TRUE(QFileInfo(dir.File("link.ini")).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.File("a.ini")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(FilesIn(dir.Path()), QStringList({"a.ini", "link.ini"}));
}

TEST(TextFile, AWriteProtectedFileIsLeftAsItWasWhoeverRunsTheProgram) {
    // The administrator, as whom the tests may run, is held to the file's rights too.
    const struct {
        mode_t mode;
        uid_t owner;  // 0: the user running the test
        bool written;
    } rows[] = {{0444, 0, false}, {0644, 65534, false}, {0644, 0, true}, {0666, 65534, true}};
    for (const auto& r : rows) {
        testing_support::TempProgramDir dir;
        dir.Write("Licence.txt", "old");
        const QByteArray name = QFile::encodeName(dir.File("Licence.txt"));
        const uid_t owner = r.owner ? r.owner : ::geteuid();
        if (::chown(name.constData(), owner, gid_t(-1)) != 0 || ::chmod(name.constData(), r.mode))
            continue;  // only the administrator can give a file away
        QString error;
        EXPECT_EQ(platform::WriteFileAtomically(dir.File("Licence.txt"), "new", &error), r.written)
            << r.mode;
        if (!r.written) {
            EXPECT_THROW(platform::AppendTextLine(dir.File("Licence.txt"), "x"), platform::IoError);
        }
        struct stat st {};
        ::stat(name.constData(), &st);
        EXPECT_EQ(std::pair(st.st_mode & 07777, st.st_uid), std::pair(r.mode, owner));
        EXPECT_EQ(dir.Read("Licence.txt"), r.written ? "new" : "old");
        EXPECT_EQ(error, r.written ? "" : SystemText(EACCES));
    }
}

TEST(TextFile, AppendThatHitsTheSizeLimitLeavesTheFileAsItWas) {
    testing_support::TempProgramDir dir;
    const QByteArray old = "QSO one\r\nQSO two\r\n";
    dir.Write("S59ABC.log", old);
    const QString file = dir.File("S59ABC.log");
    const QString result = testing_support::RunWithFileSizeLimit(old.size() + 10, [&] {
        platform::AppendTextLine(file, QString(74, u'x'));
        return QStringLiteral("ok");
    });
    EXPECT_EQ(result, "exception: " + SystemText(EFBIG) + ": " + file);
    EXPECT_EQ(dir.Read("S59ABC.log"), old);
}

TEST(TextFile, FullTmpfsFailsRewriteAndAppendWithoutHarm) {
    testing_support::SmallTmpfs disk(64 * 1024);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.Reason().toStdString();
    }
    const QString file = disk.File("Corvattaini.ini");
    const QByteArray old = "[GENERAL]\r\nMyCall=S59ABC\r\n";
    QString error;
    ASSERT_TRUE(platform::WriteFileAtomically(file, old, &error)) << error.toStdString();
    ASSERT_EQ(disk.FillUp(), ENOSPC);

    EXPECT_FALSE(platform::WriteFileAtomically(file, old + "MyYearLic=75\r\n", &error));
    EXPECT_EQ(error, SystemText(ENOSPC));
    try {
        // Longer than the room left in the file's last page.
        platform::AppendTextLine(file, QString(5000, u'x'));
        ADD_FAILURE() << "no error";
    } catch (const platform::IoError& e) {
        EXPECT_EQ(e.message(), SystemText(ENOSPC) + ": " + file);
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    EXPECT_EQ(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"Corvattaini.ini", "filler"}));
}

}  // namespace
