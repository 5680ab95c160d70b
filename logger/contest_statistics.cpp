#include "logger/contest_statistics.h"

#include "logger/calendar.h"
#include "logger/licence_table.h"
#include "logger/qso_line.h"
#include "logger/qso_log_model.h"
#include "logger/scoring.h"
#include "platform/text_file.h"

#include <QMap>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvatta {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kLastRatesCount = 10;
constexpr int kProjectionWindow = 30;

// Two-digit licence years in the order of the years they stand for: 50 to
// 99 are the last century, 00 to 49 this one.
int FullYear(const QString& yy) {
    const int y = yy.toInt();
    return y >= 50 ? 1900 + y : 2000 + y;
}

void SortYears(QStringList& years) {
    std::sort(years.begin(), years.end(), [](const QString& a, const QString& b) {
        return FullYear(a) != FullYear(b) ? FullYear(a) < FullYear(b) : a < b;
    });
}

QString RunLabel(const QDate& date, bool contestDay) {
    if (!contestDay) {
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    return (date.month() == kSpringMonth ? QStringLiteral("Pomlad %1") : QStringLiteral("Jesen %1"))
        .arg(date.year());
}

}  // namespace

UtcMinute ToUtcMinute(const QDate& date, int minuteOfDay) {
    return date.toJulianDay() * kMinutesPerDay + minuteOfDay;
}

QDate DateOf(UtcMinute minute) {
    return QDate::fromJulianDay(minute / kMinutesPerDay);
}

int MinuteOfDay(UtcMinute minute) {
    return int(minute % kMinutesPerDay);
}

std::optional<int> MinuteOfDayText(const QString& hhmm) {
    const qsizetype colon = hhmm.indexOf(u':');
    if (colon < 1 || colon > 2 || hhmm.size() != colon + 3) {
        return std::nullopt;
    }
    bool okH = false, okM = false;
    const int h = hhmm.left(colon).toInt(&okH);
    const int m = hhmm.mid(colon + 1).toInt(&okM);
    if (!okH || !okM || h < 0 || h > 23 || m < 0 || m > 59) {
        return std::nullopt;
    }
    return h * 60 + m;
}

QString ClockText(UtcMinute minute) {
    const int m = MinuteOfDay(minute);
    return QStringLiteral("%1:%2").arg(m / 60, 2, 10, QChar(u'0')).arg(m % 60, 2, 10, QChar(u'0'));
}

std::optional<StatPeriod> PeriodOf(const QDate& utcDate, std::optional<UtcMinute> firstContact) {
    if (const auto p = ContestPeriodUtc(utcDate)) {
        const int start = p->start.hour() * 60 + p->start.minute();
        const int end = p->end.hour() * 60 + p->end.minute();
        return StatPeriod{ToUtcMinute(utcDate, start), ToUtcMinute(utcDate, end), true};
    }
    if (firstContact) {
        return StatPeriod{*firstContact, *firstContact + kContestMinutes, false};
    }
    return std::nullopt;
}

// ---- Live figures -----------------------------------------------------------

ContestStatistics::ContestStatistics(QString myYearLic) : myYear_(std::move(myYearLic)) {}

void ContestStatistics::Count(const StatContact& c, int sign) {
    Bucket& b = minutes_[c.minute];
    b.contacts += sign;
    b.points += sign * c.points;
    b.mults += sign * int(c.mult);
    if (b.contacts == 0) {
        minutes_.erase(c.minute);
    }
    points_ += sign * c.points;
    mults_ += sign * int(c.mult);
    ssb_ += sign * int(c.ssb);
    ownYear_ += sign * int(c.licYear == myYear_);
}

void ContestStatistics::Add(const StatContact& contact) {
    if (contacts_.empty() || DateOf(contact.minute) != DateOf(contacts_.back().minute)) {
        lastDayFirst_ = Count();
    }
    contacts_.push_back(contact);
    Count(contact, +1);
}

void ContestStatistics::TruncateTo(int count) {
    count = std::clamp(count, 0, Count());
    while (Count() > count) {
        Count(contacts_.back(), -1);
        contacts_.pop_back();
    }
    lastDayFirst_ = Count();
    while (lastDayFirst_ > 0 &&
           DateOf(contacts_[size_t(lastDayFirst_ - 1)].minute) == DateOf(contacts_.back().minute)) {
        --lastDayFirst_;
    }
}

ContestStatistics::Bucket ContestStatistics::Sum(UtcMinute from, UtcMinute to) const {
    Bucket sum;
    for (UtcMinute m = from; m <= to; ++m) {
        const auto it = minutes_.find(m);
        if (it != minutes_.end()) {
            sum.contacts += it->second.contacts;
            sum.points += it->second.points;
            sum.mults += it->second.mults;
        }
    }
    return sum;
}

LiveFigures ContestStatistics::Live(UtcMinute now) const {
    LiveFigures f;
    f.contacts = Count();
    f.ssb = ssb_;
    f.cw = f.contacts - ssb_;
    f.points = points_;
    f.multipliers = mults_ + (ownYear_ == 0 ? 1 : 0);
    f.score = f.points * f.multipliers;
    f.projectedScore = f.score;

    const int n = Count();
    const int first = std::max(0, n - kLastRatesCount);
    if (n - first >= 2) {
        const qint64 span = std::max<qint64>(
            1, std::abs(contacts_[size_t(n - 1)].minute - contacts_[size_t(first)].minute));
        f.last10Rate = int(std::lround(double(n - first) * 60.0 / double(span)));
    }
    f.last60 = Sum(now - 59, now).contacts;
    f.currentHour = Sum(now - MinuteOfDay(now) % 60, now).contacts;

    f.period = PeriodOf(
        DateOf(now),
        n > 0 ? std::optional<UtcMinute>(contacts_[size_t(lastDayFirst_)].minute) : std::nullopt);
    if (!f.period) {
        return f;
    }
    const StatPeriod& p = *f.period;
    f.elapsed = int(std::clamp<qint64>(now - p.start, 0, p.end - p.start));
    f.remaining = int(std::clamp<qint64>(p.end - now, 0, p.end - p.start));
    if (now < p.start) {
        return f;
    }
    const UtcMinute last = std::min(now, p.end - 1);
    for (UtcMinute s = p.start; s <= last; s += kSlotMinutes) {
        f.tenMinutes.push_back(Sum(s, std::min(s + kSlotMinutes - 1, last)).contacts);
    }
    if (now < p.end) {
        // The current minute is counted as done; the rate is that of the
        // minutes since the start while fewer than 30 have passed.
        const UtcMinute from = std::max(p.start, now - (kProjectionWindow - 1));
        const double window = double(now - from + 1);
        const Bucket b = Sum(from, now);
        const double rest = double(p.end - 1 - now);
        const double points = f.points + b.points * rest / window;
        const double mults = f.multipliers + b.mults * rest / window;
        f.projectedScore = int(std::lround(points * mults));
    }
    return f;
}

// ---- Contests of a log ------------------------------------------------------

std::vector<ContestRun> SplitIntoRuns(const std::vector<DatedRow>& rows, const QString& myYearLic) {
    QMap<QDate, int> runOfDate;
    std::vector<std::vector<const DatedRow*>> groups;
    for (const DatedRow& r : rows) {
        auto it = runOfDate.find(r.date);
        if (it == runOfDate.end()) {
            it = runOfDate.insert(r.date, int(groups.size()));
            groups.emplace_back();
        }
        groups[size_t(*it)].push_back(&r);
    }

    std::vector<ContestRun> runs;
    for (const auto& group : groups) {
        // Scored as the log is: the first contact keeps what it was given,
        // Recalculate decides the rest.
        std::vector<QsoRow> cells;
        for (const DatedRow* r : group) {
            QsoRow row;
            row[Time] = r->time;
            row[Call] = r->call;
            row[LicYear] = r->licYear;
            row[Mode] = r->ssb ? kModeSsb : kModeCw;
            row[Points] = r->ssb ? QStringLiteral("1") : QStringLiteral("2");
            row[Mult] = cells.empty() ? QStringLiteral("1") : QStringLiteral("0");
            cells.push_back(row);
        }
        QsoLogModel model;
        model.ReplaceRows(cells);
        Recalculate(model, model.RowCount(), myYearLic);

        ContestRun run;
        run.myYearLic = myYearLic;
        run.date = group.front()->date;
        for (int i = 0; i < model.RowCount(); ++i) {
            StatContact c;
            c.minute = ToUtcMinute(run.date, MinuteOfDayText(model.Cell(i, Time)).value_or(0));
            c.ssb = group[size_t(i)]->ssb;
            c.points = model.Cell(i, Points).toInt();
            c.mult = model.Cell(i, Mult) == QLatin1String("1");
            c.licYear = model.Cell(i, LicYear);
            run.contacts.push_back(c);
        }
        run.period = *PeriodOf(run.date, run.contacts.front().minute);
        run.label = RunLabel(run.date, run.period.contestDay);
        bool ownYearSeen = false;
        for (const StatContact& c : run.contacts) {
            run.points += c.points;
            run.multipliers += int(c.mult);
            ownYearSeen = ownYearSeen || c.licYear == myYearLic;
            (c.ssb ? run.ssb : run.cw) += 1;
            const int mults = run.multipliers + (ownYearSeen ? 0 : 1);
            run.curve.push_back({int(c.minute - run.period.start), run.points * mults, mults});
        }
        run.multipliers += ownYearSeen ? 0 : 1;
        run.score = run.points * run.multipliers;
        runs.push_back(std::move(run));
    }
    return runs;
}

std::vector<ContestRun> ReadEarlierLog(const QString& fileName) {
    const QStringList lines = platform::ReadTextLines(fileName);
    std::vector<DatedRow> rows;
    QString ownYear;
    QDate lastDate;
    for (const QString& line : lines) {
        const std::optional<QsoRow> row = ParseQsoLine(line);
        if (!row || (*row)[Mode].isEmpty() || !MinuteOfDayText((*row)[Time])) {
            continue;
        }
        // Columns 15-24 hold the contest date, 48-49 the own licence year.
        const QDate date = QDate::fromString(line.mid(14, 10), QStringLiteral("yyyy-MM-dd"));
        if (date.isValid()) {
            lastDate = date;
        }
        if (ownYear.isEmpty()) {
            ownYear = line.mid(47, 2).trimmed();
        }
        rows.push_back(
            {date, (*row)[Time], (*row)[Call], (*row)[LicYear], (*row)[Mode] == kModeSsb});
    }
    // A line without a readable date belongs to the contest of the line
    // before it (or after it, at the start of the file).
    QDate carried = lastDate;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (it->date.isValid()) {
            carried = it->date;
        }
    }
    for (DatedRow& r : rows) {
        if (r.date.isValid()) {
            carried = r.date;
        } else {
            r.date = carried.isValid() ? carried : QDate(2000, 1, 2);
        }
    }
    return SplitIntoRuns(rows, ownYear);
}

// ---- The summary ------------------------------------------------------------

QStringList CommonYears(const LicenceTable& table, int minStations) {
    QHash<QString, QSet<QString>> stations;
    for (const auto& [call, year] : table.Entries()) {
        stations[year].insert(call);
    }
    QStringList years;
    for (auto it = stations.cbegin(); it != stations.cend(); ++it) {
        if (it.value().size() >= minStations) {
            years.append(it.key());
        }
    }
    SortYears(years);
    return years;
}

namespace {

BestRate Best(const std::vector<int>& perMinute, UtcMinute first, int window) {
    BestRate best{0, first};
    int sum = 0;
    for (size_t i = 0; i < perMinute.size(); ++i) {
        sum += perMinute[i];
        if (i >= size_t(window)) {
            sum -= perMinute[i - size_t(window)];
        }
        const UtcMinute start = first + qint64(i) - std::min<qint64>(qint64(i), window - 1);
        if (sum > best.contacts) {
            best = {sum, start};
        }
    }
    return best;
}

}  // namespace

ContestSummary Summarise(const QString& myCall, ContestRun run, std::vector<ContestRun> earlier,
                         const QStringList& commonYears) {
    ContestSummary s;
    s.myCall = myCall;
    s.earlier = std::move(earlier);
    const StatPeriod& p = run.period;

    std::vector<size_t> order(run.contacts.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return run.contacts[a].minute < run.contacts[b].minute;
    });

    int slotCount = kContestMinutes / kSlotMinutes;
    if (!order.empty()) {
        const qint64 lastOffset = run.contacts[order.back()].minute - p.start;
        slotCount = std::max<int>(slotCount, int(lastOffset / kSlotMinutes) + 1);
    }
    for (int k = 0; k < slotCount; ++k) {
        s.tenMinutes.push_back({k * kSlotMinutes, 0, 0, {}, 0, 0});
    }
    int points = 0, mults = 0;
    bool ownYearSeen = false;
    QSet<QString> worked;
    const auto totals = [&](SlotFigures& slot) {
        slot.multipliersAtEnd = mults + (ownYearSeen ? 0 : 1);
        slot.scoreAtEnd = points * slot.multipliersAtEnd;
    };
    int filled = 0;  // slots whose end totals are set
    for (const size_t i : order) {
        const StatContact& c = run.contacts[i];
        const qint64 offset = c.minute - p.start;
        if (offset < 0) {
            ++s.beforeStart;
        }
        const int k = offset < 0 ? 0 : int(offset / kSlotMinutes);
        for (; filled < k; ++filled) {
            totals(s.tenMinutes[size_t(filled)]);
        }
        points += c.points;
        mults += int(c.mult);
        ownYearSeen = ownYearSeen || c.licYear == run.myYearLic;
        if (offset >= 0) {
            SlotFigures& slot = s.tenMinutes[size_t(k)];
            slot.contacts += 1;
            slot.points += c.points;
            if (c.mult) {
                slot.newYears.append(c.licYear);
            }
        }
        if (c.mult) {
            worked.insert(c.licYear);
        }
    }
    for (; filled < slotCount; ++filled) {
        totals(s.tenMinutes[size_t(filled)]);
    }
    for (SlotFigures& slot : s.tenMinutes) {
        SortYears(slot.newYears);
    }

    if (!order.empty()) {
        const UtcMinute first = run.contacts[order.front()].minute;
        const UtcMinute last = run.contacts[order.back()].minute;
        std::vector<int> perMinute(size_t(last - first + 1), 0);
        for (const StatContact& c : run.contacts) {
            perMinute[size_t(c.minute - first)] += 1;
        }
        s.best10 = Best(perMinute, first, kSlotMinutes);
        s.best60 = Best(perMinute, first, 60);
    }
    s.yearsWorked = QStringList(worked.begin(), worked.end());
    SortYears(s.yearsWorked);
    for (const QString& y : commonYears) {
        if (!worked.contains(y)) {
            s.commonYearsMissing.append(y);
        }
    }
    s.run = std::move(run);
    return s;
}

QStringList SummaryTable(const ContestSummary& s) {
    const ContestRun& r = s.run;
    QStringList out;
    const QString day =
        r.period.contestDay
            ? QStringLiteral(" (%1)").arg(r.date.toString(QStringLiteral("yyyy-MM-dd")))
            : QString();
    out << QStringLiteral("Statistika dnevnika %1 - %2%3").arg(s.myCall, r.label, day);
    out << QStringLiteral("Zveze: %1  CW: %2  SSB: %3  Točke: %4  Množilci: %5  Skupaj: %6")
               .arg(r.contacts.size())
               .arg(r.cw)
               .arg(r.ssb)
               .arg(r.points)
               .arg(r.multipliers)
               .arg(r.score);
    out << QStringLiteral("Začetek: %1 UTC  Konec: %2 UTC")
               .arg(ClockText(r.period.start), ClockText(r.period.end));
    out << QStringLiteral("Najboljših 10 minut: %1 zvez od %2 (%3 zvez na uro)")
               .arg(s.best10.contacts)
               .arg(ClockText(s.best10.start))
               .arg(s.best10.contacts * 6);
    out << QStringLiteral("Najboljših 60 minut: %1 zvez od %2")
               .arg(s.best60.contacts)
               .arg(ClockText(s.best60.start));
    if (s.beforeStart > 0) {
        out << QStringLiteral("Zveze pred začetkom: %1").arg(s.beforeStart);
    }
    out << QString();
    out << QStringLiteral("Od     Zveze  Točke  Množilci  Skupaj  Novi množilci");
    for (const SlotFigures& slot : s.tenMinutes) {
        out << QStringLiteral("%1  %2  %3  %4  %5  %6")
                   .arg(ClockText(r.period.start + slot.offset))
                   .arg(slot.contacts, 5)
                   .arg(slot.points, 5)
                   .arg(slot.multipliersAtEnd, 8)
                   .arg(slot.scoreAtEnd, 6)
                   .arg(slot.newYears.join(u' '))
                   .trimmed();
    }
    out << QString();
    out << QStringLiteral("Delana leta licenc (%1): %2")
               .arg(s.yearsWorked.size())
               .arg(s.yearsWorked.join(u' '));
    out << QStringLiteral("Pogosta leta, ki še manjkajo (%1): %2")
               .arg(s.commonYearsMissing.size())
               .arg(s.commonYearsMissing.join(u' '));
    if (!s.earlier.empty()) {
        out << QString();
        out << QStringLiteral("Tekmovanje      Zveze  Točke  Množilci  Skupaj");
        std::vector<const ContestRun*> all{&r};
        for (const ContestRun& e : s.earlier) {
            all.push_back(&e);
        }
        for (const ContestRun* run : all) {
            out << QStringLiteral("%1  %2  %3  %4  %5")
                       .arg(run->label, -14)
                       .arg(run->contacts.size(), 5)
                       .arg(run->points, 5)
                       .arg(run->multipliers, 8)
                       .arg(run->score, 6);
        }
    }
    return out;
}

}  // namespace corvatta
