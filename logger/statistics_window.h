// The "Statistika" window: the contest's rates, clock, score and projection
// and a small bar chart of the 10-minute slots, beside the main window. It
// paints what ContestStatistics works out; the owner below builds it on its
// first opening, remembers it in Corvattaini.ini and opens the summary.
#pragma once

#include "logger/contest_statistics.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <memory>

namespace platform {
class Clock;
}

namespace corvatta {

class QsoLogModel;
class StatisticsFeed;
class SummaryWindow;
class TfMain;
struct StationState;

// Contacts per 10-minute slot as bars, the slot's start under every hour.
class SlotBars final : public QWidget {
  public:
    explicit SlotBars(QWidget* parent = nullptr);
    void SetSlots(std::vector<int> counts, UtcMinute start);
    QSize sizeHint() const override { return {260, 90}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<int> counts_;
    UtcMinute start_ = 0;
};

class StatisticsWindow final : public QWidget {
    Q_OBJECT

  public:
    StatisticsWindow(const StatisticsFeed& feed, platform::Clock& clock, QWidget* parent = nullptr);

    // Shows the figures at the clock's current minute.
    void Refresh();
    // The clock's second: repaints when the minute has changed.
    void Tick();
    // Whether CW and SSB are shown side by side (the MIX category).
    void SetMixed(bool mixed);

    QLabel *LRate10, *LLast60, *LHour, *LElapsed, *LRemaining;
    QLabel *LContacts, *LPoints, *LMultipliers, *LScore, *LProjected;
    QLabel *LCwTitle, *LCw, *LSsbTitle, *LSsb;
    SlotBars* Bars;
    QPushButton* BSummary;

  signals:
    // The operator closed the window.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    const StatisticsFeed& feed_;
    platform::Clock& clock_;
    UtcMinute shownMinute_ = -1;
};

// Owns the feed, the live window and the summary; the main window knows only
// its menu command.
class StatisticsWindows final : public QObject {
    Q_OBJECT

  public:
    StatisticsWindows(TfMain& main, StationState& state, platform::Clock& clock);
    ~StatisticsWindows() override;

    // Menu "Ostalo" -> "Statistika": shows the window (built the first time).
    void Open();
    StatisticsWindow* Built() const { return window_.get(); }
    SummaryWindow* BuiltSummary() const { return summary_.get(); }
    void OpenSummary();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    StatisticsWindow& Window();
    // Section "Statistika" of Corvattaini.ini: written only once the window
    // has been opened, so a program that never shows it leaves the file as
    // it was.
    void SavePlacement();

    TfMain& main_;
    StationState& state_;
    platform::Clock& clock_;
    std::unique_ptr<StatisticsFeed> feed_;
    std::unique_ptr<StatisticsWindow> window_;
    std::unique_ptr<SummaryWindow> summary_;
    bool startChecked_ = false;
    bool open_ = false;  // as the operator left it: opened, or closed by its close box
};

inline const QString kStatisticsSection = QStringLiteral("Statistika");

}  // namespace corvatta
