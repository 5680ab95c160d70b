#include "practice/practice_options.h"

namespace corvatta::practice {

namespace {

// The value of `name` at arguments[i]: "--name=value" or "--name value"
// (i moves past the value). nullopt when arguments[i] is another option.
std::optional<QString> ValueOf(const QStringList& arguments, qsizetype& i, const QString& name,
                               QString& error) {
    const QString& arg = arguments.at(i);
    if (arg.startsWith(name + u'=')) {
        return arg.mid(name.size() + 1);
    }
    if (arg != name) {
        return std::nullopt;
    }
    if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(QStringLiteral("--"))) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return QString();
    }
    return arguments.at(++i);
}

}  // namespace

PracticeOptions ParsePracticeOptions(const QStringList& arguments) {
    PracticeOptions o;
    for (qsizetype i = 1; i < arguments.size() && o.error.isEmpty(); ++i) {
        if (arguments.at(i) == QLatin1String("--")) {
            break;
        }
        if (arguments.at(i) == QLatin1String("--practice")) {
            o.practice = true;
        } else if (auto seed = ValueOf(arguments, i, QStringLiteral("--seed"), o.error)) {
            bool ok = false;
            seed->toULongLong(&ok);
            if (!ok && o.error.isEmpty()) {
                o.error = QStringLiteral("--seed takes a whole number, not \"%1\"").arg(*seed);
            }
            o.seed = seed->trimmed();
        } else if (auto minutes = ValueOf(arguments, i, QStringLiteral("--minutes"), o.error)) {
            bool ok = false;
            const int m = minutes->toInt(&ok);
            if ((!ok || m < 1 || m > kMaxOptionMinutes) && o.error.isEmpty()) {
                o.error = QStringLiteral("--minutes takes 1 to %1, not \"%2\"")
                              .arg(kMaxOptionMinutes)
                              .arg(*minutes);
            }
            o.minutes = m;
        } else if (auto record = ValueOf(arguments, i, QStringLiteral("--record"), o.error)) {
            if (record->isEmpty() && o.error.isEmpty()) {
                o.error = QStringLiteral("--record needs a file name");
            }
            o.record = *record;
        }
    }
    if (o.error.isEmpty() && !o.practice && (o.seed || o.minutes || o.record)) {
        o.error = QStringLiteral("--seed, --minutes and --record go with --practice");
    }
    return o;
}

PracticeSettings ApplyOptions(PracticeSettings settings, const PracticeOptions& options) {
    if (options.seed) {
        settings.Seed = *options.seed;
    }
    if (options.minutes) {
        settings.Minutes = *options.minutes;
    }
    if (options.record) {
        settings.Record = true;
        settings.RecordFile = *options.record;
    }
    return settings;
}

}  // namespace corvatta::practice
