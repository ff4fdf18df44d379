#pragma once

#include "analysis/TrendStatistics.h"

#include <QAbstractTableModel>
#include <optional>
#include <vector>

namespace id {

// Every trend's points with their residuals, one row a point, made as the view asks for them:
// an analysis of a hundred thousand points costs no more to show than one of ten. With a break,
// its points with the residuals of the joined fit, numbered as the measurements are.
class ResidualTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Trend, Rate, Pressure, Residual, Studentized, Mark, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Takes the points of the analysis's trends; they are shared, not copied.
    void setAnalysis(const StatisticsInputs& state);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Block {
        int slot;
        TrendRecord trend;
        int firstRow;
        // The trend's statistics with their per-point figures, computed while shown.
        std::shared_ptr<const FitStatistics> statistics;
    };

public:
    // The point (rate, pressure) of a row, if the row is one.
    std::optional<std::pair<double, double>> pointAt(int row) const;

private:
    // The block a row belongs to and the point's index in it.
    std::pair<const Block*, std::size_t> locate(int row) const;

    // A break's points: the measurement's number and its reading.
    struct BreakRow {
        int measurement;
        double rate;
        double pressure;
    };
    QVariant breakData(const BreakRow& row, int column, int role) const;

    std::vector<Block> blocks_;
    std::optional<BreakFit> break_;
    std::vector<BreakRow> breakRows_;
    int rows_ = 0;
};

} // namespace id
