// Contest statistics: contact rates, 10-minute slots, the contest's own
// clock, the score projected to the end of the contest, best rates,
// multipliers, and earlier years' logs aligned to their contest's start.
// No widgets. The live figures are kept contact by contact, so an update
// after a contact costs the same at ten contacts as at a hundred thousand.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <unordered_map>
#include <vector>

namespace corvatta {

class LicenceTable;

// A moment to the minute, UTC (the log keeps "hh:mm" only): the Julian day
// times 1440 plus the minute of the day.
using UtcMinute = qint64;
UtcMinute ToUtcMinute(const QDate& date, int minuteOfDay);
QDate DateOf(UtcMinute minute);
int MinuteOfDay(UtcMinute minute);
// "hh:mm" (or "h:mm") as the minute of the day; nothing for any other text.
std::optional<int> MinuteOfDayText(const QString& hhmm);
QString ClockText(UtcMinute minute);  // "hh:mm"

inline constexpr int kSlotMinutes = 10;
inline constexpr int kContestMinutes = 120;
// A contact more than this much earlier than the one logged before it was
// made on a later day: the log holds times without dates, and times within
// one day only go back when a cell was corrected by a few minutes.
inline constexpr int kNewDayStepBack = 30;

// One contact as the statistics count it; points and multiplier as scored.
struct StatContact {
    UtcMinute minute = 0;
    bool ssb = false;
    int points = 0;
    bool mult = false;
    QString licYear;
};

// The contest's two hours: on a contest Sunday the contest's own period
// (07:00-09:00 UTC in spring, 08:00-10:00 UTC in autumn); on any other day
// the same two hours from the first contact, as a practice run lasts.
struct StatPeriod {
    UtcMinute start = 0;
    UtcMinute end = 0;
    bool contestDay = false;
};
std::optional<StatPeriod> PeriodOf(const QDate& utcDate, std::optional<UtcMinute> firstContact);

struct LiveFigures {
    int contacts = 0;
    int cw = 0;
    int ssb = 0;
    int points = 0;
    int multipliers = 0;  // the own year counted while no contact gave it
    int score = 0;
    // The last ten contacts (fewer in a short log) over the time from the
    // first of them to the last, as contacts per hour; nothing below two.
    std::optional<int> last10Rate;
    int last60 = 0;       // contacts in the last 60 minutes, this one included
    int currentHour = 0;  // contacts since the full hour
    std::optional<StatPeriod> period;
    int elapsed = 0;    // minutes since the period's start (0 before it)
    int remaining = 0;  // minutes to its end (0 after it)
    // The score at the end of the period if points and multipliers keep
    // coming at the rate of the last 30 minutes.
    int projectedScore = 0;
    std::vector<int> tenMinutes;  // contacts per 10-minute slot, from the start to now
};

class ContestStatistics {
  public:
    explicit ContestStatistics(QString myYearLic = {});

    void Add(const StatContact& contact);
    // Forgets the contacts from `count` on.
    void TruncateTo(int count);
    int Count() const { return static_cast<int>(contacts_.size()); }
    const std::vector<StatContact>& Contacts() const { return contacts_; }
    const QString& MyYearLic() const { return myYear_; }

    // What the live window shows at `now`. The period is that of now's UTC
    // date; outside a contest day it runs from the first contact of the day
    // of the last contact.
    LiveFigures Live(UtcMinute now) const;

  private:
    struct Bucket {
        int contacts = 0;
        int points = 0;
        int mults = 0;
    };
    Bucket Sum(UtcMinute from, UtcMinute to) const;  // minutes from..to, both included
    void Count(const StatContact& c, int sign);

    QString myYear_;
    std::vector<StatContact> contacts_;
    std::unordered_map<UtcMinute, Bucket> minutes_;
    int points_ = 0;
    int mults_ = 0;
    int ssb_ = 0;
    int ownYear_ = 0;
    int lastDayFirst_ = 0;  // index of the first contact on the last contact's date
};

// A log row with the date it was made on.
struct DatedRow {
    QDate date;
    QString time;  // "hh:mm"
    QString call;
    QString licYear;
    bool ssb = false;
};

// One contest of a log, scored on its own.
struct ContestRun {
    QString label;  // "Pomlad 2026", "Jesen 2025", otherwise the date
    QDate date;
    QString myYearLic;
    StatPeriod period;
    std::vector<StatContact> contacts;
    struct Point {
        int minute = 0;  // since the period's start
        int score = 0;   // after this contact
        int multipliers = 0;
    };
    std::vector<Point> curve;  // one point a contact
    int points = 0;
    int multipliers = 0;
    int score = 0;
    int cw = 0;
    int ssb = 0;
};

// The rows grouped into contests by their date (one run a date, in the order
// of the rows), each scored as the log is scored.
std::vector<ContestRun> SplitIntoRuns(const std::vector<DatedRow>& rows, const QString& myYearLic);

// An earlier log or Cabrillo file of this program: its QSO lines, with the
// date and own licence year each line carries. Lines that are no contact or
// have no mode mark or time are left out. Throws platform::IoError.
std::vector<ContestRun> ReadEarlierLog(const QString& fileName);

struct SlotFigures {
    int offset = 0;  // minutes from the start
    int contacts = 0;
    int points = 0;
    QStringList newYears;  // multipliers first worked in the slot
    int scoreAtEnd = 0;
    int multipliersAtEnd = 0;
};

struct BestRate {
    int contacts = 0;
    UtcMinute start = 0;  // first minute of the best window
};

struct ContestSummary {
    QString myCall;
    ContestRun run;
    std::vector<SlotFigures> tenMinutes;  // the period's slots, and later ones with contacts
    int beforeStart = 0;                  // contacts before the period's start
    BestRate best10;
    BestRate best60;
    QStringList yearsWorked;         // sorted
    QStringList commonYearsMissing;  // sorted
    std::vector<ContestRun> earlier;
};

// Licence years held by at least `minStations` stations of the table.
QStringList CommonYears(const LicenceTable& table, int minStations = 5);

ContestSummary Summarise(const QString& myCall, ContestRun run, std::vector<ContestRun> earlier,
                         const QStringList& commonYears);

// The summary as a plain text table, one line a list item.
QStringList SummaryTable(const ContestSummary& summary);

}  // namespace corvatta
