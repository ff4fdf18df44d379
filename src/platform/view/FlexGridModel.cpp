#include "platform/view/FlexGridModel.h"

#include <QColor>
#include <algorithm>

namespace id {

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

bool FlexGridModel::valid(int row, int col) const {
    return row >= 0 && row < rows_ && col >= 0 && col < cols_;
}

bool FlexGridModel::numberCell(int row, int col) const {
    return numbered_ && col == 0 && row >= 1 && row < rows_ - 1;
}

void FlexGridModel::setNumberedRows(bool numbered) {
    numbered_ = numbered;
}

std::size_t FlexGridModel::at(int row, int col) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
           static_cast<std::size_t>(col);
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
    if (!valid(index.row(), index.column()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const quint16 a = alignments_[at(index.row(), index.column())];
        return a ? QVariant(int(a)) : QVariant();
    }
    case Qt::BackgroundRole:
        if (index.row() < fixedRows_ || index.column() < fixedCols_)
            return fixedBrush_;
        return {};
    case Qt::ForegroundRole:
        if (index.column() >= fixedCols_ && rowGreyed(index.row()))
            return QColor(150, 150, 150);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const {
    if (index.row() < fixedRows_ || index.column() < fixedCols_)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FlexGridModel::setRows(int rows) {
    rows = std::max(rows, 0);
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        texts_.resize(at(rows_, 0));
        alignments_.resize(at(rows_, 0));
        greyed_.resize(static_cast<std::size_t>(rows_));
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        texts_.resize(at(rows_, 0));
        alignments_.resize(at(rows_, 0));
        greyed_.resize(static_cast<std::size_t>(rows_));
        endRemoveRows();
    }
}

void FlexGridModel::setCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == cols_)
        return;
    beginResetModel();
    std::vector<QString> texts(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols));
    std::vector<quint16> alignments(texts.size());
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c) {
            const std::size_t to = static_cast<std::size_t>(r * cols + c);
            texts[to] = std::move(texts_[at(r, c)]);
            alignments[to] = alignments_[at(r, c)];
        }
    cols_ = cols;
    texts_ = std::move(texts);
    alignments_ = std::move(alignments);
    endResetModel();
}

void FlexGridModel::insertRowAt(int index) {
    index = std::clamp(index, 0, rows_);
    beginInsertRows({}, index, index);
    texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(at(index, 0)),
                  static_cast<std::size_t>(cols_), QString());
    alignments_.insert(alignments_.begin() + static_cast<std::ptrdiff_t>(at(index, 0)),
                       static_cast<std::size_t>(cols_), 0);
    greyed_.insert(greyed_.begin() + index, 0);
    ++rows_;
    endInsertRows();
}

void FlexGridModel::removeRowAt(int index) {
    if (index < 0 || index >= rows_)
        return;
    beginRemoveRows({}, index, index);
    const auto from = static_cast<std::ptrdiff_t>(at(index, 0));
    texts_.erase(texts_.begin() + from, texts_.begin() + from + cols_);
    alignments_.erase(alignments_.begin() + from, alignments_.begin() + from + cols_);
    greyed_.erase(greyed_.begin() + index);
    --rows_;
    endRemoveRows();
}

bool FlexGridModel::rowGreyed(int row) const {
    return row >= 0 && row < static_cast<int>(greyed_.size()) &&
           greyed_[static_cast<std::size_t>(row)];
}

void FlexGridModel::setRowGreyed(int row, bool greyed) {
    if (row < 0 || row >= static_cast<int>(greyed_.size()) ||
        bool(greyed_[static_cast<std::size_t>(row)]) == greyed)
        return;
    greyed_[static_cast<std::size_t>(row)] = greyed;
    if (bulk_) {
        bulkTop_ = std::min(bulkTop_, row);
        bulkBottom_ = std::max(bulkBottom_, row);
        return;
    }
    emit dataChanged(index(row, 0), index(row, cols_ - 1), {Qt::ForegroundRole});
}

QString FlexGridModel::text(int row, int col) const {
    if (!valid(row, col))
        return {};
    if (numberCell(row, col))
        return QString::number(row);
    return texts_[at(row, col)];
}

void FlexGridModel::setText(int row, int col, const QString& text) {
    if (!valid(row, col) || numberCell(row, col))
        return;
    QString& cell = texts_[at(row, col)];
    if (cell == text) {
        // Nothing to show, but the text is held as the caller's: an equal copy read from a file
        // is not kept beside it.
        cell = text;
        return;
    }
    cell = text;
    changed(row, col);
}

Qt::Alignment FlexGridModel::alignment(int row, int col) const {
    return valid(row, col) ? Qt::Alignment(alignments_[at(row, col)]) : Qt::Alignment();
}

void FlexGridModel::setAlignment(int row, int col, Qt::Alignment alignment) {
    if (!valid(row, col))
        return;
    quint16& cell = alignments_[at(row, col)];
    const auto value = static_cast<quint16>(alignment.toInt());
    if (cell == value)
        return;
    cell = value;
    changed(row, col);
}

void FlexGridModel::setFixed(int rows, int cols) {
    fixedRows_ = rows;
    fixedCols_ = cols;
}

void FlexGridModel::changed(int row, int col) {
    if (bulk_) {
        bulkTop_ = std::min(bulkTop_, row);
        bulkBottom_ = std::max(bulkBottom_, row);
        return;
    }
    const QModelIndex cell = index(row, col);
    emit dataChanged(cell, cell);
}

void FlexGridModel::beginBulkEdit() {
    bulk_ = true;
    bulkTop_ = rows_;
    bulkBottom_ = -1;
}

void FlexGridModel::endBulkEdit() {
    bulk_ = false;
    bulkBottom_ = std::min(bulkBottom_, rows_ - 1);
    if (bulkTop_ <= bulkBottom_ && cols_ > 0)
        emit dataChanged(index(bulkTop_, 0), index(bulkBottom_, cols_ - 1));
}

} // namespace id
