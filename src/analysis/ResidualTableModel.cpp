#include "analysis/ResidualTableModel.h"

#include "analysis/BreakSearch.h"
#include "analysis/TrendStatistics.h"

#include <map>

#include <limits>

namespace id {

void ResidualTableModel::setAnalysis(const StatisticsInputs& s) {
    beginResetModel();
    blocks_.clear();
    rows_ = 0;
    break_.reset();
    breakRows_.clear();
    if (s.Break) {
        // One table for the joined fit: its points as the measurements number them.
        std::map<std::pair<double, double>, int> points;
        for (int slot = 1; slot <= 2; ++slot)
            for (int i = 1; i <= s.trend(slot).Rates.size(); ++i)
                ++points[{s.trend(slot).Rates[i], s.trend(slot).Pressures[i]}];
        for (int i = 1; i <= s.measurementCount(); ++i) {
            const auto at = points.find({s.Measurements.rate(i), s.Measurements.pressure(i)});
            if (at == points.end() || at->second == 0)
                continue;
            --at->second;
            const int row =
                s.MeasurementRows.empty() ? i : s.MeasurementRows[static_cast<std::size_t>(i - 1)];
            breakRows_.push_back({row, s.Measurements.rate(i), s.Measurements.pressure(i)});
        }
        break_ = s.Break->Fit;
        rows_ = static_cast<int>(breakRows_.size());
        endResetModel();
        return;
    }
    for (int slot = 1; slot <= s.TrendCount; ++slot) {
        // An exact fit has no statistics; its points are listed all the same.
        const FitStatistics* kept = trendStatistics(s, slot);
        std::shared_ptr<const FitStatistics> st =
            kept ? wholeStatistics(s.trend(slot).Statistics, s.trend(slot).Rates.values(),
                                   s.trend(slot).Pressures.values())
                 : nullptr;
        if (s.trend(slot).Kind == NoTrend ||
            (st && st->studentized.size() != static_cast<std::size_t>(s.trend(slot).Rates.size())))
            continue;
        blocks_.push_back({slot, s.trend(slot), rows_, std::move(st)});
        rows_ += s.trend(slot).Rates.size();
    }
    endResetModel();
}

int ResidualTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ResidualTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

std::pair<const ResidualTableModel::Block*, std::size_t> ResidualTableModel::locate(int row) const {
    for (auto b = blocks_.rbegin(); b != blocks_.rend(); ++b)
        if (row >= b->firstRow)
            return {&*b, static_cast<std::size_t>(row - b->firstRow)};
    return {nullptr, 0};
}

std::optional<std::pair<double, double>> ResidualTableModel::pointAt(int row) const {
    if (row < 0 || row >= rows_)
        return std::nullopt;
    if (break_)
        return std::pair{breakRows_[static_cast<std::size_t>(row)].rate,
                         breakRows_[static_cast<std::size_t>(row)].pressure};
    const auto [block, i] = locate(row);
    if (!block)
        return std::nullopt;
    return std::pair{block->trend.Rates.values()[i], block->trend.Pressures.values()[i]};
}

QVariant ResidualTableModel::breakData(const BreakRow& r, int column, int role) const {
    const double studentized = breakStudentized(*break_, r.rate, r.pressure);
    if (role == Qt::TextAlignmentRole)
        return column == Mark ? QVariant() : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case Trend:
        return r.rate <= break_->breakRate ? 1 : 2;
    case Rate:
        return statisticText(r.rate);
    case Pressure:
        return statisticText(r.pressure);
    case Residual:
        return statisticText(r.pressure - break_->pressureAt(r.rate));
    case Studentized:
        return studentizedText(studentized);
    case Mark:
        return suspect(studentized, outlierThreshold(break_->points, break_->points - 4))
                   ? QStringLiteral("подозрительная точка")
                   : QString();
    default:
        return {};
    }
}

QVariant ResidualTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_)
        return {};
    if (break_)
        return breakData(breakRows_[static_cast<std::size_t>(index.row())], index.column(), role);
    const auto [block, i] = locate(index.row());
    if (!block)
        return {};
    const FitStatistics* st = block->statistics.get();
    const double undefined = std::numeric_limits<double>::quiet_NaN();
    const double studentized = st ? st->studentized[i] : undefined;
    if (role == Qt::TextAlignmentRole)
        return index.column() == Mark ? QVariant()
                                      : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Trend:
        return block->slot;
    case Rate:
        return statisticText(block->trend.Rates.values()[i]);
    case Pressure:
        return statisticText(block->trend.Pressures.values()[i]);
    case Residual:
        return statisticText(st ? st->residuals[i] : undefined);
    case Studentized:
        return studentizedText(studentized);
    case Mark:
        return st && suspect(studentized, outlierThreshold(static_cast<int>(st->studentized.size()),
                                                           st->degreesOfFreedom))
                   ? QStringLiteral("подозрительная точка")
                   : QString();
    default:
        return {};
    }
}

QVariant ResidualTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical && break_)
        return section >= 0 && section < rows_
                   ? QVariant(breakRows_[static_cast<std::size_t>(section)].measurement)
                   : QVariant();
    if (orientation == Qt::Vertical) {
        // The point's number within its trend.
        const auto [block, i] = locate(section);
        return block ? QVariant(static_cast<int>(i) + 1) : QVariant();
    }
    static const QString captions[ColumnCount] = {QStringLiteral("Линия"),
                                                  QStringLiteral("Дебит"),
                                                  QStringLiteral("P заб"),
                                                  QStringLiteral("Остаток"),
                                                  QStringLiteral("Стьюдент. остаток"),
                                                  QString()};
    return section >= 0 && section < ColumnCount ? captions[section] : QString();
}

} // namespace id
