// Keeps the contest statistics in step with the log: every change of the
// log's rows marks the rows from it on, and one sync after the change (not
// one per cell) reads only those rows. After a contact that is one row.
#pragma once

#include "logger/contest_statistics.h"

#include <QObject>

#include <climits>

namespace corvatta {

class QsoLogModel;
struct StationState;

class StatisticsFeed final : public QObject {
    Q_OBJECT

  public:
    StatisticsFeed(const QsoLogModel& log, const StationState& state, QObject* parent = nullptr);

    // Reads the rows changed since the last sync; also run by itself, once,
    // after the event that changed the log.
    void Sync();
    const ContestStatistics& Statistics() const { return stats_; }
    // The contacts with the dates they were made on: the contest date for
    // the last contact's day, a day earlier for every step back over a day.
    std::vector<DatedRow> DatedRows() const;

  signals:
    void updated();

  private:
    void MarkDirty(int row);
    QDate LastDay() const;

    const QsoLogModel& log_;
    const StationState& state_;
    ContestStatistics stats_;
    std::vector<int> minuteOfDay_;  // per row read
    std::vector<int> day_;          // days after the first row's
    QDate firstDay_;
    QString contestDate_;
    QString myYear_;
    int dirtyFrom_ = 0;
    bool queued_ = false;
};

}  // namespace corvatta
