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

bool FlexGridModel::shared(int row) const {
    return row >= sharedFirst_ && row < sharedFirst_ + sharedCount_;
}

std::size_t FlexGridModel::held(int row, int col) const {
    return at(row < sharedFirst_ ? row : row - sharedCount_, col);
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
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (index.row() < fixedRows_ || index.column() < fixedCols_)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FlexGridModel::setRows(int rows) {
    rows = std::max(rows, 0);
    if (rows == rows_)
        return;
    const bool more = rows > rows_;
    if (more)
        beginInsertRows({}, rows_, rows - 1);
    else
        beginRemoveRows({}, rows, rows_ - 1);
    // Rows cut into the shared run end it: what is left of it is empty, as rows of their own.
    if (rows < sharedFirst_ + sharedCount_)
        sharedCount_ = 0;
    rows_ = rows;
    texts_.resize(at(rows_ - sharedCount_, 0));
    alignments_.resize(at(rows_, 0));
    greyed_.resize(static_cast<std::size_t>(rows_));
    if (more)
        endInsertRows();
    else
        endRemoveRows();
}

void FlexGridModel::setCols(int cols) {
    cols = std::max(cols, 0);
    if (cols == cols_)
        return;
    beginResetModel();
    const int heldRows = rows_ - sharedCount_;
    std::vector<QString> texts(static_cast<std::size_t>(heldRows) * static_cast<std::size_t>(cols));
    std::vector<quint16> alignments(static_cast<std::size_t>(rows_) *
                                    static_cast<std::size_t>(cols));
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c) {
            const std::size_t to = static_cast<std::size_t>(r * cols + c);
            alignments[to] = alignments_[at(r, c)];
            if (r < heldRows)
                texts[to] = std::move(texts_[at(r, c)]);
        }
    cols_ = cols;
    texts_ = std::move(texts);
    alignments_ = std::move(alignments);
    endResetModel();
}

void FlexGridModel::setSharedRows(int total, int first, int count, int lastCol, SharedTexts texts) {
    total = std::max(total, 0);
    first = std::clamp(first, 0, total);
    count = std::clamp(count, 0, total - first);
    // The texts held: the rows outside the new run keep theirs, a row that leaves the run is
    // empty.
    std::vector<QString> kept(static_cast<std::size_t>(total - count) *
                              static_cast<std::size_t>(cols_));
    std::size_t to = 0;
    for (int r = 0; r < total; ++r) {
        if (r >= first && r < first + count)
            continue;
        for (int c = 0; c < cols_; ++c, ++to)
            if (r < rows_ && !shared(r))
                kept[to] = std::move(texts_[held(r, c)]);
    }
    const int before = rows_;
    if (total > before)
        beginInsertRows({}, before, total - 1);
    else if (total < before)
        beginRemoveRows({}, total, before - 1);
    rows_ = total;
    texts_ = std::move(kept);
    alignments_.resize(at(rows_, 0));
    greyed_.resize(static_cast<std::size_t>(rows_));
    sharedFirst_ = first;
    sharedCount_ = count;
    sharedLastCol_ = lastCol;
    sharedTexts_ = std::move(texts);
    if (total > before)
        endInsertRows();
    else if (total < before)
        endRemoveRows();
}

void FlexGridModel::rowsChanged(int top, int bottom) {
    top = std::max(top, 0);
    bottom = std::min(bottom, rows_ - 1);
    if (top > bottom || cols_ == 0)
        return;
    if (bulk_) {
        bulkTop_ = std::min(bulkTop_, top);
        bulkBottom_ = std::max(bulkBottom_, bottom);
        return;
    }
    emit dataChanged(index(top, 0), index(bottom, cols_ - 1));
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
    if (shared(row))
        return col >= 1 && col <= sharedLastCol_ ? sharedTexts_(row - sharedFirst_, col)
                                                 : QString();
    return texts_[held(row, col)];
}

void FlexGridModel::setText(int row, int col, const QString& text) {
    if (!valid(row, col) || numberCell(row, col) || shared(row))
        return;
    QString& cell = texts_[held(row, col)];
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
