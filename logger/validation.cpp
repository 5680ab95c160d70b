#include "logger/validation.h"

#include "logger/licence_table.h"

#include <algorithm>

namespace corvatta {

namespace {

const QString kS5 = QStringLiteral("S5");
constexpr int kYearDigits = 2;
// Years 50..99 are always last century; below that only up to this year.
constexpr int kCenturyPivot = 50;
// Prediction looks a callsign up only once it is this long.
constexpr int kPredictFromLength = 4;

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

bool IsAllDigits(const QString& text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

QString OtherMode(const QString& mode) {
    return mode == kModeCw ? kModeSsb : kModeCw;
}

ValidationResult ValidateEntry(const ValidationInput& input, const EntryData& previous,
                               const QsoLogModel& log, const LicenceTable& licences) {
    return ValidateEntryWith(
        input, previous,
        [&log](const QString& call, const QString& year, const QString& mode, const QString& other,
               bool mix) { return log.Match(call, year, mode, other, mix); },
        [&licences](const QString& key) { return licences.Find(key); });
}

ValidationResult ValidateEntryWith(const ValidationInput& input, const EntryData& previous,
                                   const LogMatcher& matchLog, const LicencePredictor& predict) {
    ValidationResult out;
    EntryData& e = out.Entry;
    e = previous;
    const QString& t = input.EntryText;

    if (t.size() < 2) {
        // Too short to judge: the labels clear, everything below works with
        // the previous evaluation's callsign, year and flags.
        out.LInfo.clear();
        out.LError.clear();
    } else {
        e.CurrentCall = t;
        const qsizetype space = t.indexOf(u' ');
        if (space >= 0) {
            e.CurrentCall = t.left(space);
            // Two spaces before the year are forgiven.
            const qsizetype yearStart =
                (space + 1 < t.size() && t[space + 1] == u' ') ? space + 2 : space + 1;
            e.CurrentLicYear = t.mid(yearStart, kYearDigits);
        }
        out.LInfo = e.CurrentCall;
        out.LError = e.CurrentLicYear;
        if (e.CurrentLicYear.size() == 1) {
            e.CurrentLicYear.prepend(u'0');
        }

        const qsizetype s5 = e.CurrentCall.indexOf(kS5);
        if (s5 >= 0) {
            const qsizetype third = s5 + kS5.size();
            e.ThirdNotDigit = third < e.CurrentCall.size() && !IsDigit(e.CurrentCall[third]);
            if (e.ThirdNotDigit) {
                out.LInfo = kMsgThirdNotDigit;
            }
        }
        if (s5 >= 0 || e.CurrentCall.size() < 2) {
            e.NotSlovenian = false;
        } else {
            e.NotSlovenian = true;
            out.LInfo = kMsgNotSlovenian;
        }
        // A longer callsign would push the licence year out of its columns
        // in the log file.
        e.CallTooLong = e.CurrentCall.size() > kMaxCallLength;
        if (e.CallTooLong) {
            out.LInfo = kMsgCallTooLong;
        }
        e.CallTooShort = !e.CurrentLicYear.isEmpty() && e.CurrentCall.size() <= 3;

        e.YearBad = false;
        if (!e.CurrentLicYear.isEmpty()) {
            if (!IsAllDigits(e.CurrentLicYear)) {
                out.LInfo = kMsgYearNotNumber;
                e.YearBad = true;
            } else {
                const int year = e.CurrentLicYear.toInt();
                if (year < kCenturyPivot && year > input.CurrentYear.toInt()) {
                    out.LInfo = kMsgYearNotPossible;
                    e.YearBad = true;
                }
            }
        }
        e.YearMissing = e.CurrentLicYear.isEmpty();
        e.CallInvalid = e.ThirdNotDigit || e.NotSlovenian || e.CallTooShort || e.CallTooLong;
        e.YearInvalid = e.YearBad || e.YearMissing;

        out.ShapeColor = e.CallInvalid ? colors::ColorBusy : colors::ColorReady;
        out.Shape1Color = e.YearInvalid ? colors::ColorBusy : colors::ColorReady;

        const LogMatches m = matchLog(e.CurrentCall, e.CurrentLicYear, input.Mode,
                                      OtherMode(input.Mode), input.MixCategory);
        e.IsDupe = m.IsDupe;
        if (m.IsDupe) {
            out.LError = m.DupeLicYear;
        }
        e.NewMult = m.NewMult;
        e.WorkedOtherMode = input.MixCategory && m.WorkedOtherMode;
        e.YearNewOtherMode = !input.MixCategory || m.YearNewOtherMode;
    }

    out.LDouble = e.IsDupe ? kMsgDupe : QString();
    out.LMult = e.NewMult ? e.CurrentLicYear : QString();

    out.ShapeQSOVisible = input.ShapeQSOVisible;
    out.ShapeMultVisible = input.ShapeMultVisible;
    if (input.MixCategory) {
        out.ShapeQSOVisible = !e.WorkedOtherMode && e.CurrentCall.size() >= kPredictFromLength;
        out.ShapeMultVisible = e.YearNewOtherMode && out.LMult.size() >= kYearDigits;
    }

    if (input.SuggestLicenceYear && e.CurrentCall.size() >= kPredictFromLength) {
        const qsizetype slash = t.indexOf(u'/');  // 0-based
        if (slash < 0) {
            e.LookupKey = e.CurrentCall;
        } else if (slash == 1 || slash == 2) {
            // A portable prefix: the callsign after the slash. Only the
            // callsign: the year typed after it must not become part of it.
            e.LookupKey = e.CurrentCall.mid(slash + 1);
        }
        out.EditLL = predict(e.LookupKey).value_or(QString());
    } else if (input.SuggestLicenceYear && e.CurrentCall.size() == 3) {
        out.EditLL = QString();
    }
    out.EditLLChanged = out.EditLL.has_value() && *out.EditLL != input.EditLLText;
    return out;
}

bool IsValidForLogging(const EntryData& entry, const QString& entryText) {
    return !entry.CallInvalid && !entry.YearInvalid && !entry.CurrentCall.isEmpty() &&
           !entry.CurrentLicYear.isEmpty() && entryText.size() >= 2;
}

bool IsOwnCallValid(const QString& myCall) {
    return myCall.contains(QLatin1String("S5"), Qt::CaseInsensitive) && myCall.size() > 3 &&
           myCall.size() <= kMaxCallLength;
}

void ClearEntry(EntryData& entry) {
    entry.CurrentCall.clear();
    entry.CurrentLicYear.clear();
}

}  // namespace corvatta
