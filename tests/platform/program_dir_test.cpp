// Where a program keeps its files: beside itself when run from a folder of its own, in the
// user's data directory when installed or when its folder is not writable.
#include "platform/program_dir.h"
#include "tests/support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

class ProgramDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        QDir().mkpath(Bin());
        Write(Shipped() + "/Tickwellini.ini", "[GENERAL]\r\nCOLOR=clGray\r\n");
        Write(Shipped() + "/Whoosh.wav", "RIFF");
        QFile::setPermissions(Shipped() + "/Tickwellini.ini",
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    QString Bin() const { return root_.filePath("usr/bin"); }
    QString Shipped() const { return root_.filePath("usr/share/corvatta/Tickwell"); }
    QString DataHome() const { return root_.filePath("home/.local/share"); }
    QString Data() const { return DataHome() + "/Tickwell/"; }

    platform::ProgramLocation Location(bool writable, bool installed) const {
        return {Bin(), writable, installed ? Shipped() : QString(), DataHome(), "Tickwell"};
    }

    QTemporaryDir root_;
};

TEST_F(ProgramDirTest, PortableOnlyWhenWritableAndNotInstalled) {
    struct Case {
        bool writable;
        bool installed;
        bool besideTheProgram;
    };
    for (const Case c : {Case{true, false, true}, Case{false, false, false},
                         Case{true, true, false}, Case{false, true, false}}) {
        SCOPED_TRACE(testing::Message()
                     << "writable " << c.writable << " installed " << c.installed);
        const QString chosen = platform::ResolveProgramDirectory(Location(c.writable, c.installed));
        EXPECT_EQ(chosen, c.besideTheProgram ? Bin() + "/" : Data());
        EXPECT_EQ(QFileInfo(Data()).isDir(), !c.besideTheProgram);
        QDir(DataHome()).removeRecursively();
    }
}

TEST_F(ProgramDirTest, FirstStartCopiesTheShippedFilesWritableAndLaterStartsKeepTheOperators) {
    ASSERT_EQ(platform::ResolveProgramDirectory(Location(true, true)), Data());
    EXPECT_EQ(Read(Data() + "Tickwellini.ini"), "[GENERAL]\r\nCOLOR=clGray\r\n");
    EXPECT_EQ(Read(Data() + "Whoosh.wav"), "RIFF");
    EXPECT_TRUE(QFileInfo(Data() + "Tickwellini.ini").isWritable());

    // The operator's own settings survive; a shipped file that went missing comes back.
    Write(Data() + "Tickwellini.ini", "[VIEW]\r\nTOP=40\r\n");
    QFile::remove(Data() + "Whoosh.wav");
    ASSERT_EQ(platform::ResolveProgramDirectory(Location(true, true)), Data());
    EXPECT_EQ(Read(Data() + "Tickwellini.ini"), "[VIEW]\r\nTOP=40\r\n");
    EXPECT_EQ(Read(Data() + "Whoosh.wav"), "RIFF");
}

TEST_F(ProgramDirTest, ADataDirectoryThatCannotBeMadeLeavesTheProgramsFolder) {
    Write(DataHome(), "a file where the folder should be");
    EXPECT_EQ(platform::ResolveProgramDirectory(Location(false, true)), Bin() + "/");
}

}  // namespace
