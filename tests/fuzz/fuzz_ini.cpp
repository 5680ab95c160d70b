// The INI reader and writer on any file contents (a hand-edited settings
// file) and any value an operator can type. Invariants:
//  - a written key reads back: exactly when the value is one an INI line can
//    hold as it is, and always as a single-line value of at most 2047
//    characters;
//  - writing one key leaves every other key's value alone;
//  - integers and booleans read back as written;
//  - the document survives saving and loading (the bytes of a file decode
//    and encode back), and the file on disk reads as the document does.
#include "tests/fuzz/fuzz_support.h"

#include "platform/cp1250.h"
#include "platform/ini_file.h"

#include <optional>
#include <vector>

namespace {

using platform::IniDocument;

struct Name {
    QString section;
    QString key;
};

// The sections and keys the programs read and write.
const std::vector<Name>& ProgramKeys() {
    static const std::vector<Name> keys = {
        {"GENERAL", "MyCall"},
        {"GENERAL", "MyYearLic"},
        {"GENERAL", "Mode"},
        {"GENERAL", "EMode"},
        {"GENERAL", "MyName"},
        {"GENERAL", "MyAddress1"},
        {"VIEW", "MainTop"},
        {"VIEW", "VisibleMemo"},
        {"INFO", "LastDate"},
        {"WK", "Speed"},
        {"WK", "SpeedStep"},
        {"Memo", "F1"},
        {"Memo", "F9s"},
        {"Memo", "F2Text"},
        {"SHORT CHAR", "Lic Check"},
        {"SHORT CHAR", "Short0T Check"},
        {"WKSetup", "Lead"},
        {"REGISTER", "E0"},
        {"ComPort", "Port"},
        {"ComPort", "BaudRate"},
        {"CALL1", "MyCall"},
        {"CALL4", "AutoLL"},
        {"Buttons", "Caption1"},
        {"Position", "TOP"},
    };
    return keys;
}

// Names compare without regard to case: as listed, all lower, all upper,
// or mixed.
QString RandomCase(fuzz::Source& data, const QString& text) {
    switch (data.Int(0, 3)) {
        case 0:
            return text;
        case 1:
            return text.toLower();
        case 2:
            return text.toUpper();
        default: {
            QString out = text;
            for (QChar& c : out) {
                if (data.Bool()) {
                    c = c.isUpper() ? c.toLower() : c.toUpper();
                }
            }
            return out;
        }
    }
}

Name ConsumeName(fuzz::Source& data) {
    if (data.Bool()) {
        const auto& keys = ProgramKeys();
        const Name& n = keys[size_t(data.Int(0, int(keys.size()) - 1))];
        return {RandomCase(data, n.section), RandomCase(data, n.key)};
    }
    // Names of the kind the programs use: letters, digits, inner blanks.
    static const QString kNameCharacters = QStringLiteral("abcxyzABCXYZ019_ ");
    auto name = [&] {
        QString n = data.From(kNameCharacters, 12).trimmed();
        return n.isEmpty() ? QStringLiteral("K") : n;
    };
    Name n;
    n.section = name();
    n.key = name();
    return n;
}

bool SameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool Same(const Name& a, const Name& b) {
    return SameName(a.section, b.section) && SameName(a.key, b.key);
}

// The names worth asking about: the programs' keys and whatever looks like a
// key in the file, up to a number that keeps every look-up cheap (each one
// scans the lines). Only used to ask the reader, so a rough look is enough.
constexpr size_t kMostWatched = 64;

std::vector<Name> NamesToWatch(const IniDocument& doc, const std::vector<Name>& written) {
    std::vector<Name> names = ProgramKeys();
    names.insert(names.end(), written.begin(), written.end());
    QString section;
    for (const QString& line : doc.Lines()) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.contains(u']')) {
            section = t.mid(1, t.indexOf(u']') - 1);
        } else if (t.indexOf(u'=') > 0 && names.size() < kMostWatched) {
            names.push_back({section, t.left(t.indexOf(u'='))});
        }
    }
    return names;
}

// A value an INI line holds unchanged: one line, no blanks at either end
// (the reader trims them, as the system's reader does), not wrapped in
// quotes (which the reader takes off), within the read limit.
bool StoredAsIs(const QString& value) {
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                        value.back() == value.front();
    return !value.contains(u'\r') && !value.contains(u'\n') && value == value.trimmed() &&
           !quoted && value.size() <= IniDocument::kMaxValueLength;
}

QString Show(const std::optional<QString>& v) {
    return v ? fuzz::Visible(*v) : QStringLiteral("(missing)");
}

void CheckFileRoundTrip(const IniDocument& doc, const std::vector<Name>& names) {
    const IniDocument reloaded = IniDocument::FromBytes(doc.ToBytes());
    FUZZ_CHECK(reloaded.Lines().size() == doc.Lines().size(),
               "saving and loading keeps the number of lines",
               {QString::number(doc.Lines().size()), QString::number(reloaded.Lines().size()),
                fuzz::Visible(doc.Lines().join(u'|'))});
    bool lossless = true;
    for (qsizetype i = 0; i < doc.Lines().size(); ++i) {
        const QString expected = platform::DecodeCp1250(platform::EncodeCp1250(doc.Lines()[i]));
        FUZZ_CHECK(reloaded.Lines()[i] == expected, "saving and loading keeps every line",
                   {fuzz::Visible(doc.Lines()[i]), fuzz::Visible(reloaded.Lines()[i])});
        lossless = lossless && expected == doc.Lines()[i];
    }
    // A character cp1250 cannot hold is saved as "?"; next to a value's
    // blanks (U+2003 is trimmed, "?" is not) it changes what the value
    // reads, so values are compared only when every line survives.
    if (!lossless) {
        return;
    }
    for (const Name& n : names) {
        const auto before = doc.Value(n.section, n.key);
        const auto after = reloaded.Value(n.section, n.key);
        FUZZ_CHECK(after == before, "a key reads the same after saving and loading",
                   {n.section, n.key, Show(before), Show(after)});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = fuzz::Source::For(data, size);
    fuzz::Source& in = *source;
    const QByteArray fileBytes = in.Bytes(4096);
    IniDocument doc = IniDocument::FromBytes(fileBytes);
    CheckFileRoundTrip(doc, NamesToWatch(doc, {}));

    std::vector<Name> written;
    const int writes = in.Int(1, 4);
    for (int w = 0; w < writes && !in.Exhausted(); ++w) {
        const Name name = ConsumeName(in);
        written.push_back(name);
        const std::vector<Name> watched = NamesToWatch(doc, written);
        std::vector<std::optional<QString>> before;
        for (const Name& n : watched) {
            before.push_back(doc.Value(n.section, n.key));
        }

        switch (in.Int(0, 2)) {
            case 0: {
                const QString value = in.Text(64);
                doc.WriteString(name.section, name.key, value);
                const auto read = doc.Value(name.section, name.key);
                FUZZ_CHECK(read.has_value(), "a written key is found",
                           {name.section, name.key, fuzz::Visible(value)});
                if (StoredAsIs(value)) {
                    FUZZ_CHECK(*read == value, "a written value reads back as written",
                               {name.section, name.key, fuzz::Visible(value), Show(read)});
                }
                FUZZ_CHECK(!read->contains(u'\r') && !read->contains(u'\n') &&
                               read->size() <= IniDocument::kMaxValueLength,
                           "a value reads back as one line within the limit",
                           {fuzz::Visible(value), Show(read)});
                break;
            }
            case 1: {
                const int value = in.AnyInt();
                doc.WriteInteger(name.section, name.key, value);
                const int read = doc.ReadInteger(name.section, name.key, ~value);
                FUZZ_CHECK(read == value, "a written integer reads back",
                           {QString::number(value), QString::number(read)});
                break;
            }
            default: {
                const bool value = in.Bool();
                doc.WriteBool(name.section, name.key, value);
                FUZZ_CHECK(doc.ReadBool(name.section, name.key, !value) == value,
                           "a written boolean reads back");
                break;
            }
        }

        for (size_t i = 0; i < watched.size(); ++i) {
            if (Same(watched[i], name)) {
                continue;
            }
            const auto after = doc.Value(watched[i].section, watched[i].key);
            FUZZ_CHECK(after == before[i], "writing one key leaves the others alone",
                       {QStringLiteral("wrote [%1] %2").arg(name.section, name.key),
                        QStringLiteral("changed [%1] %2").arg(watched[i].section, watched[i].key),
                        Show(before[i]), Show(after)});
        }
    }
    CheckFileRoundTrip(doc, NamesToWatch(doc, written));

    // The same through a file on disk, as the programs do it; for one input
    // in four, as the file's opening, syncing and renaming cost more than
    // everything above.
    if (written.empty() || in.Int(0, 3) != 0) {
        return 0;
    }
    const QString path = fuzz::ScratchFolder() + QStringLiteral("fuzz.ini");
    fuzz::WriteWholeFile(path, fileBytes);
    const platform::IniFile file(path);
    const IniDocument original = IniDocument::FromBytes(fileBytes);
    const Name& n = written.front();
    file.WriteString(n.section, n.key, QStringLiteral("x"));
    FUZZ_CHECK(file.ReadString(n.section, n.key, QString()) == QStringLiteral("x"),
               "a key written to the file reads back from it", {n.section, n.key});
    const IniDocument onDisk = file.Load();
    for (const Name& other : NamesToWatch(original, {})) {
        if (Same(other, n)) {
            continue;
        }
        const auto expected = original.Value(other.section, other.key);
        const auto got = onDisk.Value(other.section, other.key);
        FUZZ_CHECK(got == expected, "writing one key to the file leaves the others alone",
                   {other.section, other.key, Show(expected), Show(got)});
    }
    return 0;
}
