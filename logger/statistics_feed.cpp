#include "logger/statistics_feed.h"

#include "logger/qso_log_model.h"
#include "station/station_state.h"

#include <algorithm>

namespace corvatta {

StatisticsFeed::StatisticsFeed(const QsoLogModel& log, const StationState& state, QObject* parent)
    : QObject(parent), log_(log), state_(state) {
    connect(&log, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft) { MarkDirty(topLeft.row()); });
    connect(&log, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first) { MarkDirty(first); });
    connect(&log, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first) { MarkDirty(first); });
    connect(&log, &QAbstractItemModel::modelReset, this, [this] { MarkDirty(0); });
}

void StatisticsFeed::MarkDirty(int row) {
    dirtyFrom_ = std::min(dirtyFrom_, std::max(row, 0));
    if (!queued_) {
        queued_ = true;
        // The log's own writes come in steps (the row, then the count, then
        // the score); the statistics read it once they are all done.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (queued_)
                    Sync();
            },
            Qt::QueuedConnection);
    }
}

QDate StatisticsFeed::LastDay() const {
    const QDate d = QDate::fromString(state_.log.ContestDate, QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? d : state_.dates.Today;
}

void StatisticsFeed::Sync() {
    queued_ = false;
    const int n = std::clamp(state_.log.QsoCount, 0, log_.RowCount());
    if (state_.log.ContestDate != contestDate_ || state_.op.MyYearLic != myYear_) {
        contestDate_ = state_.log.ContestDate;
        myYear_ = state_.op.MyYearLic;
        stats_ = ContestStatistics(myYear_);
        dirtyFrom_ = 0;
    }
    const int from = std::min({dirtyFrom_, n, int(day_.size())});
    day_.resize(size_t(from));
    minuteOfDay_.resize(size_t(from));
    for (int i = from; i < n; ++i) {
        const int previous = i > 0 ? minuteOfDay_[size_t(i - 1)] : 0;
        const int m = MinuteOfDayText(log_.Cell(i, Time)).value_or(previous);
        const int stepBack = i > 0 && m < previous - kNewDayStepBack ? 1 : 0;
        day_.push_back(i > 0 ? day_[size_t(i - 1)] + stepBack : 0);
        minuteOfDay_.push_back(m);
    }
    // The last contact was made on the contest date; a new day in the log
    // moves every earlier contact back a day, which needs all rows again.
    const QDate firstDay = LastDay().addDays(day_.empty() ? 0 : -day_.back());
    int keep = std::min(from, stats_.Count());
    if (firstDay != firstDay_) {
        firstDay_ = firstDay;
        keep = 0;
    }
    stats_.TruncateTo(keep);
    for (int i = keep; i < n; ++i) {
        StatContact c;
        c.minute = ToUtcMinute(firstDay_.addDays(day_[size_t(i)]), minuteOfDay_[size_t(i)]);
        c.ssb = log_.Cell(i, Mode) == kModeSsb;
        c.points = log_.Cell(i, Points).toInt();
        c.mult = log_.Cell(i, Mult) == QLatin1String("1");
        c.licYear = log_.Cell(i, LicYear);
        stats_.Add(c);
    }
    dirtyFrom_ = INT_MAX;
    emit updated();
}

std::vector<DatedRow> StatisticsFeed::DatedRows() const {
    std::vector<DatedRow> rows;
    const int n = std::min(int(day_.size()), log_.RowCount());
    rows.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        rows.push_back({firstDay_.addDays(day_[size_t(i)]), log_.Cell(i, Time), log_.Cell(i, Call),
                        log_.Cell(i, LicYear), log_.Cell(i, Mode) == kModeSsb});
    }
    return rows;
}

}  // namespace corvatta
