#include "keyer/cw_message.h"

#include "keyer/winkeyer_protocol.h"
#include "platform/cp1250.h"

#include <algorithm>

namespace corvatta::keyer {

namespace {

// The text between commands as the keyer may receive it. Every byte below
// 0x20 is a keyer command (0x09 sets the pin configuration from the byte
// after it), so a tab or line break from a hand-edited settings file
// becomes a word space and other control characters are left out. A macro
// character still here came from an inserted value (an own call typed with
// "*"), never from the message: it is left out too.
QString KeyerText(const QString& plain) {
    QString out;
    out.reserve(plain.size());
    for (QChar c : plain) {
        const char16_t u = c.unicode();
        if (u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r') {
            out += u' ';
        } else if (u < 0x20 || u == 0x7F || u == u'*' || u == u'!' || u == u'#' || u == u'$') {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

MessageValues CurrentMessageValues(const StationState& state) {
    MessageValues v;
    v.MyCall = state.op.MyCall;
    v.MyYearLic = state.op.MyYearLic;
    v.CurrentCall = state.entry.CurrentCall;
    v.LastLoggedCall = state.entry.LastLoggedCall;
    v.Speed = state.keyer.Speed;
    v.SpeedUp = state.keyer.SpeedUp;
    v.SpeedMode = state.keyer.SpeedMode;
    return v;
}

void ApplyShortCharacters(QString& message, const ShortCharOptions& options,
                          const QString& myYearLic) {
    if (options.LicCheck) {
        message.replace(QChar(u'#'), myYearLic, Qt::CaseInsensitive);
    }
    if (options.Short0T) {
        message.replace(QChar(u'0'), QChar(u'T'), Qt::CaseInsensitive);
    }
    if (options.Short0O) {
        message.replace(QChar(u'0'), QChar(u'O'), Qt::CaseInsensitive);
    }
    if (options.Short9N) {
        message.replace(QChar(u'9'), QChar(u'N'), Qt::CaseInsensitive);
    }
}

QByteArray ExpandMessageMacros(const QString& message, const MessageValues& values) {
    QString text = message;
    text.replace(QChar(u'*'), values.MyCall);
    text.replace(QChar(u'!'), values.CurrentCall);
    text.replace(QChar(u'#'), values.MyYearLic);
    text.replace(QChar(u'$'), values.LastLoggedCall);

    // The three speed macros in one pass: each of "<", ">" and "%" is
    // replaced wherever it stands in the text, and the speed bytes produced
    // are never read again as macro characters.
    // Summed wide: both come from the settings file and may be any integer.
    const auto keyerSpeed = [](qint64 wpm) {
        return int(std::clamp<qint64>(wpm, kMinBufferedSpeed, kMaxBufferedSpeed));
    };
    const int up = keyerSpeed(qint64(values.Speed) + values.SpeedUp);
    const int down = keyerSpeed(qint64(values.Speed) - values.SpeedUp);
    QByteArray bytes;
    bytes.reserve(text.size() + 8);
    if (values.SpeedMode == 0) {
        // Kept to the keyer's range like the buffered speeds: a stored 0
        // would hand the speed to the pot, 256 would wrap round to 0.
        bytes.append(SetSpeedCommand(keyerSpeed(values.Speed)));
    }
    qsizetype plainStart = 0;
    auto flushPlain = [&](qsizetype end) {
        if (end > plainStart) {
            bytes.append(platform::EncodeCp1250(KeyerText(text.mid(plainStart, end - plainStart))));
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'<' && c != u'>' && c != u'%') {
            continue;
        }
        flushPlain(i);
        plainStart = i + 1;
        if (c == u'<') {
            bytes.append(Command(kBufferedSpeed, {up}));
        } else if (c == u'>') {
            bytes.append(Command(kBufferedSpeed, {down}));
        } else {
            bytes.append(Command(kCancelBufferedSpeed));
        }
    }
    flushPlain(text.size());
    return bytes;
}

QByteArray BuildCwMessage(const QString& text, const ShortCharOptions& options,
                          const MessageValues& values) {
    QString message = text.isEmpty() ? QStringLiteral("?") : text;
    message += u' ';
    ApplyShortCharacters(message, options, values.MyYearLic);
    return ExpandMessageMacros(message, values);
}

}  // namespace corvatta::keyer
