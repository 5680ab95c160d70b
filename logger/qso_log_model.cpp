#include "logger/qso_log_model.h"

#include <algorithm>

namespace corvatta {

namespace {

const char* const kColumnNames[LogColumnCount] = {"Time",   "Call", "LicYear",
                                                  "Points", "Mult", "Mode"};

bool Indexed(int column) {
    return column == Call || column == LicYear || column == Mode;
}

}  // namespace

size_t CellTextHash(QStringView text, size_t seed) noexcept {
    // FNV-1a over the UTF-16 units, then a finaliser that spreads the bits,
    // since a hash table picks its bucket from the low ones.
    quint64 h = 14695981039346656037ULL ^ seed;
    for (const QChar c : text) {
        h = (h ^ c.unicode()) * 1099511628211ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return size_t(h);
}

QsoLogModel::QsoLogModel(QObject* parent) : QAbstractTableModel(parent) {
    rows_.resize(1);
    RebuildIndex();
}

int QsoLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int QsoLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LogColumnCount;
}

QVariant QsoLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= RowCount() || index.column() >= LogColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return Cell(index.row(), index.column());
    }
    return {};
}

QVariant QsoLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        section < LogColumnCount) {
        return QString::fromLatin1(kColumnNames[section]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags QsoLogModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool QsoLogModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= RowCount() ||
        index.column() >= LogColumnCount) {
        return false;
    }
    // What cannot be written into the log file's columns is refused here,
    // where it is typed: the cell keeps its old text.
    const CellCheck check = CheckGridCell(index.column(), value.toString());
    if (!check.text) {
        emit CellRefused(index.row(), index.column(), check.refusal);
        return false;
    }
    const QString& text = *check.text;
    if (text == Cell(index.row(), index.column())) {
        return true;
    }
    SetCell(index.row(), index.column(), text);
    emit CellEdited(index.row(), index.column());
    return true;
}

void QsoLogModel::SetCell(int row, int column, const QString& text) {
    QString& cell = rows_[size_t(row)][size_t(column)];
    if (cell == text) {
        return;
    }
    if (Indexed(column)) {
        UnindexRow(row);
        cell = text;
        IndexRow(row);
    } else {
        cell = text;
    }
    Changed(row, row);
}

void QsoLogModel::SetRow(int row, const QsoRow& cells) {
    UnindexRow(row);
    rows_[size_t(row)] = cells;
    IndexRow(row);
    Changed(row, row);
}

void QsoLogModel::ClearRow(int row) {
    SetRow(row, QsoRow{});
}

void QsoLogModel::SetRowCount(int count) {
    count = std::max(count, 1);
    const int old = RowCount();
    if (count > old) {
        beginInsertRows({}, old, count - 1);
        rows_.resize(size_t(count));
        for (int r = old; r < count; ++r) {
            IndexRow(r);
        }
        endInsertRows();
    } else if (count < old) {
        beginRemoveRows({}, count, old - 1);
        for (int r = count; r < old; ++r) {
            UnindexRow(r);
        }
        rows_.resize(size_t(count));
        endRemoveRows();
    }
}

void QsoLogModel::ReplaceRows(std::vector<QsoRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    if (rows_.empty()) {
        rows_.resize(1);
    }
    RebuildIndex();
    endResetModel();
}

LogMatches QsoLogModel::Match(const QString& call, const QString& licYear, const QString& mode,
                              const QString& otherMode, bool mixCategory) const {
    LogMatches m;
    const auto dupes = callRows_.constFind(Key(call, mode));
    if (dupes != callRows_.cend() && !dupes->empty()) {
        m.IsDupe = true;
        m.DupeLicYear = Cell(*dupes->rbegin(), LicYear);
    }
    m.NewMult = yearCounts_.value(Key(licYear, mode)) == 0;
    if (mixCategory) {
        const auto other = callRows_.constFind(Key(call, otherMode));
        m.WorkedOtherMode = other != callRows_.cend() && !other->empty();
        m.YearNewOtherMode = yearCounts_.value(Key(licYear, otherMode)) == 0;
    }
    return m;
}

void QsoLogModel::IndexRow(int row) {
    const QsoRow& r = rows_[size_t(row)];
    // Rows are mostly indexed in order (loading, logging): then this appends.
    std::vector<int>& rows = callRows_[Key(r[Call], r[Mode])];
    const auto at = std::lower_bound(rows.begin(), rows.end(), row);
    if (at == rows.end() || *at != row) {
        rows.insert(at, row);
    }
    ++yearCounts_[Key(r[LicYear], r[Mode])];
}

void QsoLogModel::UnindexRow(int row) {
    const QsoRow& r = rows_[size_t(row)];
    const auto c = callRows_.find(Key(r[Call], r[Mode]));
    if (c != callRows_.end()) {
        const auto at = std::lower_bound(c->begin(), c->end(), row);
        if (at != c->end() && *at == row) {
            c->erase(at);
        }
        if (c->empty()) {
            callRows_.erase(c);
        }
    }
    const auto y = yearCounts_.find(Key(r[LicYear], r[Mode]));
    if (y != yearCounts_.end() && --*y == 0) {
        yearCounts_.erase(y);
    }
}

void QsoLogModel::RebuildIndex() {
    callRows_.clear();
    yearCounts_.clear();
    // Callsigns are many, years a hundred or so: the year table grows by
    // itself and stays small enough to be quick to look up.
    callRows_.reserve(qsizetype(rows_.size()));
    for (int r = 0; r < RowCount(); ++r) {
        IndexRow(r);
    }
}

void QsoLogModel::Changed(int firstRow, int lastRow) {
    if (bulkDepth_ > 0) {
        bulkFirst_ = bulkFirst_ < 0 ? firstRow : std::min(bulkFirst_, firstRow);
        bulkLast_ = std::max(bulkLast_, lastRow);
        return;
    }
    emit dataChanged(index(firstRow, 0), index(lastRow, LogColumnCount - 1));
}

QsoLogModel::BulkUpdate::BulkUpdate(QsoLogModel& model) : model_(model) {
    ++model_.bulkDepth_;
}

QsoLogModel::BulkUpdate::~BulkUpdate() {
    if (--model_.bulkDepth_ > 0 || model_.bulkFirst_ < 0) {
        return;
    }
    const int first = model_.bulkFirst_;
    const int last = std::min(model_.bulkLast_, model_.RowCount() - 1);
    model_.bulkFirst_ = model_.bulkLast_ = -1;
    if (first <= last) {
        emit model_.dataChanged(model_.index(first, 0), model_.index(last, LogColumnCount - 1));
    }
}

}  // namespace corvatta
