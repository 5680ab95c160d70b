// The log: the one store of contacts, six text cells a row, shown by the
// grid. It keeps look-up indexes (callsign+mode, year+mode) in step with
// every cell change so the entry line's checks never scan the rows.
#pragma once

#include "logger/qso_line.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringView>

#include <utility>
#include <vector>

namespace corvatta {

// A hash for the log's short cell texts (callsigns, years, modes): a few
// multiplications a character, where Qt's general string hash costs several
// times that per text, and loading or scoring a long log hashes every row.
size_t CellTextHash(QStringView text, size_t seed = 0) noexcept;

// What the log says about one entry; blank rows take part like any other.
struct LogMatches {
    bool IsDupe = false;           // a row has this callsign in this mode
    QString DupeLicYear;           // the licence year of the last such row
    bool NewMult = true;           // no row has this year in this mode
    bool WorkedOtherMode = false;  // a row has this callsign in the other mode
    bool YearNewOtherMode = true;  // no row has this year in the other mode
};

class QsoLogModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit QsoLogModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The operator's edit: stores the text and emits CellEdited as well as
    // dataChanged, so the window can tell an edit from the program's writes.
    // Text the log file could not hold is refused (CellRefused, false).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const QString& Cell(int row, int column) const { return rows_[size_t(row)][size_t(column)]; }
    const QsoRow& Row(int row) const { return rows_[size_t(row)]; }

    // The program's writes; they emit dataChanged only.
    void SetCell(int row, int column, const QString& text);
    void SetRow(int row, const QsoRow& cells);
    void ClearRow(int row);
    // Grows with blank rows or drops rows at the end; never fewer than one.
    void SetRowCount(int count);
    // Replaces everything (one blank row when `rows` is empty).
    void ReplaceRows(std::vector<QsoRow> rows);

    // Index look-up; gives exactly what scanning every row in order would.
    LogMatches Match(const QString& call, const QString& licYear, const QString& mode,
                     const QString& otherMode, bool mixCategory) const;

    // Many writes, one dataChanged: while a BulkUpdate lives, SetCell only
    // records the rows it touched, and the guard reports them at its end
    // (also when an exception leaves the scope).
    class BulkUpdate {
      public:
        explicit BulkUpdate(QsoLogModel& model);
        ~BulkUpdate();
        BulkUpdate(const BulkUpdate&) = delete;
        BulkUpdate& operator=(const BulkUpdate&) = delete;

      private:
        QsoLogModel& model_;
    };

  signals:
    void CellEdited(int row, int column);
    void CellRefused(int row, int column, const QString& reason);

  private:
    struct Key {
        QString text;
        QString mode;
        Key(const QString& t, const QString& m) : text(t), mode(m) {}
        friend bool operator==(const Key& a, const Key& b) = default;
        friend size_t qHash(const Key& k, size_t seed) noexcept {
            return CellTextHash(k.mode, CellTextHash(k.text, seed));
        }
    };

    void IndexRow(int row);
    void UnindexRow(int row);
    void RebuildIndex();
    void Changed(int firstRow, int lastRow);

    std::vector<QsoRow> rows_;
    // Rows per (callsign, mode), in ascending order, to find the last one;
    // row counts per (licence year, mode).
    QHash<Key, std::vector<int>> callRows_;
    QHash<Key, int> yearCounts_;

    int bulkDepth_ = 0;
    int bulkFirst_ = -1;
    int bulkLast_ = -1;
};

}  // namespace corvatta
