// The QSO line, written and read back. A contact is made the way the
// program makes one: the entry line's checks decide which typed entries may
// be logged, the own call and year are ones those checks accept too, the
// time is the contest clock's "hh:mm", the date the program's or one typed
// into the date field. Invariants:
//  - whatever may be logged reads back from its line exactly as written
//    (time, callsign, licence year, mode and its points);
//  - with callsigns of 4 to 12 characters the line is 74 characters;
//  - any text read as a QSO line gives a time "hh:mm" of five characters,
//    a callsign without blanks and a licence year of two characters.
#include "tests/fuzz/fuzz_support.h"

#include "logger/qso_line.h"
#include "logger/validation.h"

#include <optional>

namespace {

using namespace corvatta;

struct Contact {
    QString Call;
    QString LicYear;
};

// What the entry line makes of a typed entry, when it may be logged.
std::optional<Contact> Accepted(const QString& entryText, const QString& mode) {
    ValidationInput input;
    input.EntryText = entryText;
    input.Mode = mode;
    input.CurrentYear = QStringLiteral("26");
    const ValidationResult r = ValidateEntryWith(
        input, EntryData{},
        [](const QString&, const QString&, const QString&, const QString&, bool) {
            return LogMatches{};
        },
        [](const QString&) { return std::optional<QString>(); });
    if (!IsValidForLogging(r.Entry, entryText)) {
        return std::nullopt;
    }
    return Contact{r.Entry.CurrentCall, r.Entry.CurrentLicYear};
}

QString TwoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString ConsumeDate(fuzz::Source& data) {
    if (data.Int(0, 3) > 0) {
        const QDate d = QDate(2000, 1, 1).addDays(data.Int(0, 20000));
        return d.toString(QStringLiteral("yyyy-MM-dd"));
    }
    // Typed into the date field ("Spremeni datum"): the panel takes it
    // normalised, or refuses it and keeps the date in force.
    return NormaliseContestDate(data.From(QStringLiteral("0123456789--"), 12))
        .value_or(QStringLiteral("2027-04-18"));
}

QStringList Describe(const OwnLineData& own, const QsoRow& written, const QString& line,
                     const QsoRow& read) {
    QStringList out = {QStringLiteral("own ") + fuzz::Visible(own.MyCall) + u' ' +
                           fuzz::Visible(own.MyYearLic) + u' ' + fuzz::Visible(own.ContestDate),
                       QStringLiteral("line ") + fuzz::Visible(line)};
    for (int c = 0; c < LogColumnCount; ++c) {
        out.append(QStringLiteral("column %1: wrote %2 read %3")
                       .arg(c)
                       .arg(fuzz::Visible(written[size_t(c)]), fuzz::Visible(read[size_t(c)])));
    }
    return out;
}

void CheckReaderShape(const QString& text) {
    const auto row = ParseQsoLine(text);
    if (!row) {
        FUZZ_CHECK(!text.startsWith(QLatin1String("QSO:")), "a \"QSO:\" line is read");
        return;
    }
    const QString& time = (*row)[Time];
    FUZZ_CHECK(time.size() == 5 && time[2] == u':', "a read time is \"hh:mm\" shaped",
               {fuzz::Visible(text), fuzz::Visible(time)});
    FUZZ_CHECK(!(*row)[Call].contains(u' '), "a read callsign has no blanks",
               {fuzz::Visible(text)});
    FUZZ_CHECK((*row)[LicYear].size() == 2, "a read licence year has two characters",
               {fuzz::Visible(text)});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = fuzz::Source::For(data, size);
    fuzz::Source& in = *source;

    const QString ownEntry = in.TypedEntry();
    const QString mode = in.Bool() ? kModeCw : kModeSsb;
    const QString entry = in.TypedEntry();
    const int hours = in.Int(0, 23);
    const int minutes = in.Int(0, 59);
    const QString time = TwoDigits(hours) + u':' + TwoDigits(minutes);
    const QString date = ConsumeDate(in);
    const auto own = Accepted(ownEntry, mode);
    const auto contact = Accepted(entry, mode);

    QString lastLine;
    if (own && contact) {
        const OwnLineData ownData{own->Call, own->LicYear, date};
        QsoRow written;
        written[Time] = time;
        written[Call] = contact->Call;
        written[LicYear] = contact->LicYear;
        written[Mode] = mode;
        written[Points] = mode == kModeCw ? QStringLiteral("2") : QStringLiteral("1");
        const QString line = CabrilloQsoLine(ownData, written);
        lastLine = line;
        const auto read = ParseQsoLine(line);
        FUZZ_CHECK(read.has_value(), "a written line is read as a contact", {line});
        FUZZ_CHECK(*read == written, "a logged contact reads back exactly as written",
                   Describe(ownData, written, line, *read));
        const auto fits = [](const QString& call) { return call.size() >= 4 && call.size() <= 12; };
        if (fits(own->Call) && fits(contact->Call) && date.size() == 10) {
            FUZZ_CHECK(line.size() == 74, "a line of 4- to 12-character callsigns is 74 long",
                       {line});
        }
    }

    // The reader on any text, on text behind "QSO:", and on the written line
    // cut short or with one character changed, as an editor may leave it.
    switch (in.Int(0, 2)) {
        case 0:
            CheckReaderShape(in.Text(90));
            break;
        case 1:
            CheckReaderShape(QStringLiteral("QSO:") + in.Text(86));
            break;
        default: {
            QString edited = lastLine.isEmpty() ? QStringLiteral("QSO:  3500 CW") : lastLine;
            const int at = in.Int(0, int(edited.size()));
            if (in.Bool()) {
                edited.truncate(at);
            } else {
                edited.replace(at, 1, in.Text(2));
            }
            CheckReaderShape(edited);
            break;
        }
    }
    return 0;
}
