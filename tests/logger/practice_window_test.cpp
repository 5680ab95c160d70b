// The practice windows: the set-up gives back what it was given and locks
// while a session runs; the results show the figures of a checked log, and
// stay on the screen with no contacts, with hundreds, and with long texts.
#include "logger/practice_window.h"
#include "tests/support/temp_program_dir.h"

#include <gtest/gtest.h>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimeZone>

namespace corvatta {
namespace {

using practice::PracticeSettings;
using practice::PracticeStyle;
using practice::Verdict;

QString Fields(const PracticeSettings& s) {
    return QStringLiteral("%1 %2 %3 %4-%5 %6 %7 %8%9%10%11%12 %13 %14 [%15] [%16]")
        .arg(s.Minutes)
        .arg(int(s.Style))
        .arg(s.Activity)
        .arg(s.SpeedMin)
        .arg(s.SpeedMax)
        .arg(s.Pitch)
        .arg(s.Bandwidth)
        .arg(s.Qrn)
        .arg(s.Qsb)
        .arg(s.Qrm)
        .arg(s.Lids)
        .arg(s.Qsk)
        .arg(s.Volume)
        .arg(s.Record)
        .arg(s.RecordFile, s.Seed);
}

TEST(PracticeWindowTest, SetupGivesBackItsSettingsAndLocksWhileRunning) {
    testing_support::TempProgramDir dir;
    const PracticeSettings cases[] = {
        {120, PracticeStyle::SingleCaller, 1, 18, 32, 750, 300, false, false, true, true, false, 0,
         true, QStringLiteral("/tmp/moja vaja/s5.wav"), QStringLiteral("18446744073709551615")},
        {10, PracticeStyle::SearchPounce, 9, 0, 0, 1200, 1000, true, true, true, true, true, 100,
         false, QString(), QStringLiteral("0")},
        {60, PracticeStyle::Pileup, 5, 40, 40, 300, 650, true, false, false, false, true, 35, false,
         QStringLiteral("b.wav"), QString()},
    };
    PracticeSetupWindow w;
    w.show();
    for (const PracticeSettings& s : cases) {
        w.SetSettings(s, 30);
        EXPECT_EQ(Fields(w.Settings()), Fields(s));
    }
    // Following the operator's speed shows the range it stands for.
    EXPECT_FALSE(w.CBFollowSpeed->isChecked());
    w.SetSettings(PracticeSettings{}, 30);
    EXPECT_EQ(w.SSpeedMin->value(), 26);
    EXPECT_EQ(w.SSpeedMax->value(), 34);
    EXPECT_FALSE(w.SSpeedMin->isEnabled());
    w.CBFollowSpeed->click();
    EXPECT_EQ(w.Settings().SpeedMin, 26);
    EXPECT_EQ(w.Settings().SpeedMax, 34);
    // A seed is digits only.
    w.ESeed->clear();
    QTest::keyClicks(w.ESeed, "12x3");
    EXPECT_EQ(w.Settings().Seed, "123");

    w.SetRunning(true);
    EXPECT_FALSE(w.BStart->isEnabled());
    EXPECT_TRUE(w.BStop->isEnabled());
    EXPECT_TRUE(w.BResults->isEnabled());
    int controls = 0;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractSpinBox*>(c) || qobject_cast<QComboBox*>(c) ||
            qobject_cast<QCheckBox*>(c) || qobject_cast<QLineEdit*>(c) ||
            qobject_cast<QSlider*>(c) || c == w.BChooseFile) {
            ++controls;
            EXPECT_FALSE(c->isEnabled()) << c->metaObject()->className();
        }
    }
    EXPECT_GE(controls, 16);
    w.SetRunning(false);
    EXPECT_TRUE(w.BStart->isEnabled());
    EXPECT_FALSE(w.BStop->isEnabled());
    EXPECT_TRUE(w.CBMinutes->isEnabled());
}

TEST(PracticeWindowTest, ResultsShowTheCountsAndStayOnTheScreen) {
    testing_support::TempProgramDir dir;
    const QDateTime start(QDate(2026, 12, 9), QTime(15, 0), QTimeZone::utc());
    practice::SessionSummary summary{start, 30, 30, QStringLiteral("Run, kopica"), 42, 1234, 987};
    // Distinct counts, so that two figures shown in each other's place show.
    const Verdict verdicts[] = {
        Verdict::Correct,    Verdict::Correct,        Verdict::Correct,       Verdict::Correct,
        Verdict::BustedCall, Verdict::BustedCall,     Verdict::BustedCall,    Verdict::NotInLog,
        Verdict::Dupe,       Verdict::BustedExchange, Verdict::BustedExchange};
    practice::Verification v;
    v.counts = {4, 3, 2, 1, 1, 2};
    for (const Verdict verdict : verdicts) {
        v.contacts.push_back({{QStringLiteral("S59AB"), QStringLiteral("75"), QStringLiteral("CW"),
                               start.addSecs(60 * qint64(v.contacts.size()))},
                              verdict,
                              QStringLiteral("S59AC"),
                              QStringLiteral("76"),
                              true});
    }
    const QVector<practice::HistoryEntry> history = {
        {start.addDays(-3), 30, 900, 950, 40, 38, 7},
        {start.addDays(-2), 10, 300, 300, 12, 12, 8},
        {start.addDays(-1), 30, 800, 820, 35, 33, 9},
    };
    PracticeResultsWindow w;
    w.ShowResults(summary, v, history, QStringLiteral("Zapisano v vaja_2026-12-09_1500.txt"));
    w.show();
    const std::pair<QLabel*, const char*> figures[] = {
        {w.LCorrect, "4"},    {w.LBustedCall, "3"}, {w.LBustedExchange, "2"},
        {w.LNotInLog, "1"},   {w.LDupe, "1"},       {w.LContacts, "11"},
        {w.LClaimed, "1234"}, {w.LVerified, "987"}, {w.LRate, "22"},
    };
    for (const auto& [label, text] : figures) {
        EXPECT_EQ(label->text(), text);
    }
    ASSERT_EQ(w.Contacts->rowCount(), 11);
    EXPECT_EQ(w.Contacts->item(4, 1)->text(), "S59AB");
    EXPECT_EQ(w.Contacts->item(4, 3)->text(), "S59AC");
    EXPECT_EQ(w.Contacts->item(4, 6)->text(), practice::VerdictText(Verdict::BustedCall));
    ASSERT_EQ(w.Best->rowCount(), 2);
    EXPECT_EQ(w.Best->item(0, 1)->text(), "300");
    EXPECT_EQ(w.Best->item(1, 1)->text(), "900");

    // None, many, and a settings line that never ends: the window still
    // fits a small screen (the table scrolls, the texts wrap).
    const struct {
        int contacts;
        QString settings;
    } hostile[] = {{0, QString()},
                   {500, QStringLiteral("QRN, QSB").repeated(80)},
                   {3, QStringLiteral("/zelo/dolga/pot/").repeated(40)}};
    const practice::CheckedContact sample = v.contacts.front();
    for (const auto& h : hostile) {
        v.contacts.assign(size_t(h.contacts), sample);
        summary.settingsText = h.settings;
        w.ShowResults(summary, v, {}, h.settings);
        EXPECT_EQ(w.Contacts->rowCount(), h.contacts);
        EXPECT_EQ(w.LNoContacts->isVisible(), h.contacts == 0);
        EXPECT_TRUE(w.LNoHistory->isVisible());
        EXPECT_LE(w.minimumSizeHint().width(), 1000) << h.contacts;
        EXPECT_LE(w.minimumSizeHint().height(), 700) << h.contacts;
    }
}

}  // namespace
}  // namespace corvatta
