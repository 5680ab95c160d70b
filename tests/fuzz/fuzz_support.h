// What the fuzz targets share: turning fuzz bytes into the texts the
// program meets, a scratch folder in memory, and the check that stops the
// fuzzer with a readable report when an invariant breaks.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

// Checks an invariant; the details (a QStringList expression) are only
// built when it fails, as building them for every check would cost more
// than the code under test.
#define FUZZ_CHECK(holds, invariant, ...)                                            \
    do {                                                                             \
        if (!(holds)) {                                                              \
            ::fuzz::Violated(invariant, [&] { return QStringList(__VA_ARGS__); }()); \
        }                                                                            \
    } while (false)

namespace fuzz {

// Prints what broke and the texts involved, then traps so libFuzzer saves
// the input as a crash.
[[noreturn]] void Violated(const char* invariant, const QStringList& details);

// The text shown in a report: control characters and anything outside
// printable ASCII as \xNN / \uNNNN, so a report shows exactly what differed.
QString Visible(const QString& text);
QString Visible(const QByteArray& bytes);

// Where a target takes its choices from. Fuzz input is read with
// FuzzedDataProvider; an input that begins with the line "#corvatta-seed"
// is a readable seed instead: one value per line, in the order the target
// asks for them, "  //" starts a comment, a line that begins with "//" is
// skipped, and \\, \t, \r, \n, \xNN (a cp1250 byte) and \uNNNN (UTF-16)
// write what a line cannot hold. A seed that runs out answers false, the
// lowest number and empty texts.
class Source {
  public:
    static std::unique_ptr<Source> For(const std::uint8_t* data, std::size_t size);
    virtual ~Source() = default;

    virtual bool Bool() = 0;
    // min..max inclusive.
    virtual int Int(int min, int max) = 0;
    // Any text an operator or a hand-edited file can produce: mostly cp1250
    // characters (controls included), now and then any UTF-16 unit, so
    // characters cp1250 cannot hold come up too.
    virtual QString Text(std::size_t maxLength) = 0;
    // A text of 0..maxLength characters taken from `alphabet`.
    virtual QString From(const QString& alphabet, std::size_t maxLength) = 0;
    // Raw bytes, as a file may hold them.
    virtual QByteArray Bytes(std::size_t maxLength) = 0;
    virtual bool Exhausted() const = 0;

    int AnyInt() { return Int(std::numeric_limits<int>::min(), std::numeric_limits<int>::max()); }
    // An entry line as typed: only the characters the entry line lets
    // through, in upper case as it shows them.
    QString EntryText(std::size_t maxLength);
    // A contact as typed into the entry line: as any entry text now and
    // then, mostly shaped like a Slovenian call and a year, so that many
    // reach the checks' later rules and get logged.
    QString TypedEntry();
};

// A folder on a memory file system (the program's files are synced to disk
// at every write, which would otherwise dominate the run), made once per
// process and removed at its end. Ends with "/".
const QString& ScratchFolder();

QByteArray ReadWholeFile(const QString& path);
void WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace fuzz
