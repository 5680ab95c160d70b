// The "Licence.txt" reader. Two halves per input:
//  - file bytes taken from the input: every line that is neither blank nor a
//    comment is either an entry or counted as skipped; every entry is an
//    upper-case callsign and one or two digits; a look-up finds what a scan
//    of the entries in file order finds (the last of duplicates); the
//    entries written out again read back unchanged; the file read from the
//    program folder gives the same table;
//  - a table built from the input and written the ways an operator's editor
//    writes it (either separator, blanks around it, lower case, any line
//    end, none after the last line, a UTF-8 byte order mark): it reads back
//    entry for entry.
#include "tests/fuzz/fuzz_support.h"

#include "logger/licence_table.h"
#include "platform/cp1250.h"
#include "platform/program_dir.h"
#include "platform/text_file.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

using corvatta::LicenceTable;
using Entries = std::vector<std::pair<QString, QString>>;

QString ShowEntries(const Entries& entries) {
    QStringList parts;
    for (const auto& [call, year] : entries) {
        parts.append(call + u',' + year);
    }
    return fuzz::Visible(parts.join(u' '));
}

bool IsCallCharacter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'/';
}

void CheckTable(const LicenceTable& table, const QStringList& lines) {
    qsizetype meaningful = 0;
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(u'#')) {
            ++meaningful;
        }
    }
    FUZZ_CHECK(table.Size() + table.SkippedLines() == meaningful,
               "every line that is not blank or a comment is read or counted as skipped",
               {QString::number(table.Size()), QString::number(table.SkippedLines()),
                QString::number(meaningful)});

    for (const auto& entry : table.Entries()) {
        const QString& call = entry.first;
        const QString& year = entry.second;
        FUZZ_CHECK(!call.isEmpty() && std::all_of(call.begin(), call.end(), IsCallCharacter),
                   "an entry's callsign is upper-case letters, digits and \"/\"",
                   {fuzz::Visible(call)});
        FUZZ_CHECK((year.size() == 1 || year.size() == 2) &&
                       std::all_of(year.begin(), year.end(),
                                   [](QChar c) { return c >= u'0' && c <= u'9'; }),
                   "an entry's year is one or two digits", {fuzz::Visible(year)});
        std::optional<QString> scanned;
        for (const auto& [c, y] : table.Entries()) {
            if (c == call) {
                scanned = y;
            }
        }
        const auto found = table.Find(call);
        FUZZ_CHECK(found == scanned, "a look-up finds what a scan of the entries finds",
                   {fuzz::Visible(call), found ? *found : QStringLiteral("(none)"), *scanned});
    }

    QStringList written;
    for (const auto& [call, year] : table.Entries()) {
        written.append(call + u',' + year);
    }
    const LicenceTable again = LicenceTable::Parse(written);
    FUZZ_CHECK(again.Entries() == table.Entries() && again.SkippedLines() == 0,
               "the entries written out read back unchanged",
               {ShowEntries(table.Entries()), ShowEntries(again.Entries())});
}

// A table as an operator would keep it, and its file as some editor saves it.
std::pair<Entries, QByteArray> ConsumeTableFile(fuzz::Source& data) {
    static const QString kCallCharacters = QStringLiteral("S5S5S50123456789ABCDEFGHIJKLMNOXYZ/");
    static const QString kDigits = QStringLiteral("0123456789");
    Entries entries;
    QByteArray file;
    if (data.Bool()) {
        file += "\xEF\xBB\xBF";  // a UTF-8 editor's byte order mark
    }
    const int count = data.Int(0, 12);
    for (int i = 0; i < count && !data.Exhausted(); ++i) {
        QString call = data.From(kCallCharacters, 14);
        if (call.isEmpty()) {
            call = QStringLiteral("S50A");
        }
        QString year = data.From(kDigits, 2);
        if (year.isEmpty()) {
            year = QStringLiteral("7");
        }
        entries.emplace_back(call, year);

        QString line;
        if (data.Bool()) {
            line += QStringLiteral("# a comment, S59ZZ,99\r\n");
        }
        const QString blank = data.Bool() ? QStringLiteral(" ") : QString();
        line += blank + (data.Bool() ? call.toLower() : call) + blank;
        line += data.Bool() ? u',' : u'=';
        line += blank + year + (data.Bool() ? QStringLiteral("\t") : QString());
        file += platform::EncodeCp1250(line);
        const bool last = i + 1 == count;
        switch (data.Int(0, 3)) {
            case 0:
                file += "\r\n";
                break;
            case 1:
                file += "\n";
                break;
            case 2:
                file += "\r";
                break;
            default:
                // No line end: only the last line may lack one.
                file += last ? "" : "\r\n";
                break;
        }
    }
    return {entries, file};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto source = fuzz::Source::For(data, size);
    fuzz::Source& in = *source;

    const QByteArray bytes = in.Bytes(4096);
    // A UTF-8 byte order mark in front is no part of the first line.
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    const QStringList lines = platform::SplitLines(platform::DecodeCp1250(text));
    const LicenceTable table = LicenceTable::Parse(lines);
    CheckTable(table, lines);

    const QString folder = fuzz::ScratchFolder();
    platform::SetProgramDirectory(folder);
    const QString path = folder + corvatta::kLicenceFileName;
    fuzz::WriteWholeFile(path, bytes);
    const LicenceTable fromFile = LicenceTable::ForProgram();
    FUZZ_CHECK(fromFile.Source() == path && fromFile.Entries() == table.Entries(),
               "the file in the program folder reads as its lines do",
               {fromFile.Source(), ShowEntries(table.Entries()), ShowEntries(fromFile.Entries())});

    const auto table_and_file = ConsumeTableFile(in);
    const Entries& entries = table_and_file.first;
    const QByteArray& file = table_and_file.second;
    fuzz::WriteWholeFile(path, file);
    const LicenceTable edited = LicenceTable::ForProgram();
    FUZZ_CHECK(edited.Entries() == entries && edited.SkippedLines() == 0,
               "a table as an editor saves it reads back entry for entry",
               {fuzz::Visible(file), ShowEntries(entries), ShowEntries(edited.Entries())});
    return 0;
}
