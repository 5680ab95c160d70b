// The licence-year table the entry line predicts the exchange from: upper-
// case callsign to the two digits of its first-licence year. Built into the
// program; a "Licence.txt" in the program directory replaces it.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace corvatta {

class LicenceTable {
  public:
    // Reads "CALL,YY" or "CALL=YY" lines; blank lines and "#" comments are
    // ignored, malformed lines are skipped (and counted).
    static LicenceTable Parse(const QStringList& lines);
    // The table compiled into the program.
    static LicenceTable BuiltIn();
    // The lines of the built-in table, comments included (the start of an
    // operator's own table).
    static QStringList BuiltInLines();
    // The operator's "Licence.txt" from the program directory when it exists
    // and can be read, else the built-in table.
    static LicenceTable ForProgram();

    std::optional<QString> Find(const QString& callsign) const;

    // Entries in the order read, duplicates included (what a literal scan
    // of the table walks).
    const std::vector<std::pair<QString, QString>>& Entries() const { return entries_; }
    int Size() const { return static_cast<int>(entries_.size()); }
    int SkippedLines() const { return skipped_; }
    // Where the entries came from: ":/..." for the built-in table.
    QString Source() const { return source_; }

  private:
    std::vector<std::pair<QString, QString>> entries_;
    QHash<QString, QString> byCall_;
    int skipped_ = 0;
    QString source_;
};

inline const QString kLicenceFileName = QStringLiteral("Licence.txt");

}  // namespace corvatta
