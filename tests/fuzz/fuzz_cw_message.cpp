// CW message building: any message text (typed, or from a hand-edited
// settings file), any own call and year the operator panel stores, the
// correspondent's and the last logged call as the entry line lets them
// through, any stored speed settings. The bytes written to the keyer must
// be plain text and whole commands only:
//  - a speed command (02 nn, 1C nn) carries a speed of 5..99 WPM;
//  - outside a command there is no control byte (below 0x20, or 0x7F) and
//    no macro character left unexpanded;
//  - the message ends with the space put after every text;
//  - the short characters, applied twice, give what applying them once does
//    (the options window and the entry line apply them before sending).
#include "tests/fuzz/fuzz_support.h"

#include "keyer/cw_message.h"
#include "keyer/winkeyer_protocol.h"

#include <algorithm>

namespace {

using namespace corvatta::keyer;

bool IsMacroCharacter(char c) {
    return QByteArrayView("*!#$<>%").contains(c);
}

bool IsControlByte(unsigned char b) {
    return b < 0x20 || b == 0x7F;
}

bool IsSpeed(unsigned char b) {
    return b >= kMinBufferedSpeed && b <= kMaxBufferedSpeed;
}

QStringList Describe(const QString& text, const MessageValues& v, const QByteArray& bytes) {
    return {QStringLiteral("text ") + fuzz::Visible(text),
            QStringLiteral("MyCall ") + fuzz::Visible(v.MyCall),
            QStringLiteral("MyYearLic ") + fuzz::Visible(v.MyYearLic),
            QStringLiteral("CurrentCall ") + fuzz::Visible(v.CurrentCall),
            QStringLiteral("LastLoggedCall ") + fuzz::Visible(v.LastLoggedCall),
            QStringLiteral("Speed %1 SpeedUp %2 SpeedMode %3")
                .arg(v.Speed)
                .arg(v.SpeedUp)
                .arg(v.SpeedMode),
            QStringLiteral("bytes ") + QString::fromLatin1(bytes.toHex(' '))};
}

void CheckBytes(const QByteArray& bytes, const QStringList& about) {
    qsizetype i = 0;
    const auto byteAt = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    while (i < bytes.size()) {
        const unsigned char b = byteAt(i);
        if (b == kSetSpeed || b == kBufferedSpeed) {
            FUZZ_CHECK(i + 1 < bytes.size() && IsSpeed(byteAt(i + 1)),
                       "a speed command carries a speed of 5..99 WPM", about);
            i += 2;
        } else if (b == kCancelBufferedSpeed) {
            i += 1;
        } else {
            FUZZ_CHECK(!IsControlByte(b), "no control byte outside a command", about);
            FUZZ_CHECK(!IsMacroCharacter(char(b)), "no macro character outside a command", about);
            i += 1;
        }
    }
    FUZZ_CHECK(!bytes.isEmpty() && bytes.back() == ' ', "the message ends with a space", about);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = fuzz::Source::For(data, size);
    fuzz::Source& in = *source;
    static const QString kDigits = QStringLiteral("0123456789");

    MessageValues v;
    // The operator panel keeps whatever is typed, in upper case.
    v.MyCall = in.Text(16).toUpper();
    v.MyYearLic = in.Bool() ? in.From(kDigits, 2) : in.Text(4).toUpper();
    v.CurrentCall = in.EntryText(16).section(u' ', 0, 0);
    v.LastLoggedCall = in.EntryText(16).section(u' ', 0, 0);
    // Stored speeds come from the settings file as any integer; the spin
    // boxes keep them near the keyer's range.
    if (in.Bool()) {
        v.Speed = in.Int(0, 99);
        v.SpeedUp = in.Int(1, 20);
    } else {
        v.Speed = in.AnyInt();
        v.SpeedUp = in.AnyInt();
    }
    v.SpeedMode = in.Int(0, 3);
    corvatta::ShortCharOptions options;
    options.LicCheck = in.Bool();
    options.Short0T = in.Bool();
    options.Short0O = in.Bool();
    options.Short9N = in.Bool();
    const QString text = in.Text(200);

    const QByteArray bytes = BuildCwMessage(text, options, v);
    CheckBytes(bytes, Describe(text, v, bytes));

    // Idempotent for the own year the operator panel calls valid (one or
    // two digits); any other year may hold the very characters replaced.
    if (v.MyYearLic.size() <= 2 && std::all_of(v.MyYearLic.begin(), v.MyYearLic.end(),
                                               [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        QString once = text;
        ApplyShortCharacters(once, options, v.MyYearLic);
        QString twice = once;
        ApplyShortCharacters(twice, options, v.MyYearLic);
        FUZZ_CHECK(once == twice, "short characters applied twice give what once gives",
                   {fuzz::Visible(text), fuzz::Visible(once), fuzz::Visible(twice)});
    }
    return 0;
}
