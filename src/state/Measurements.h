#pragma once

#include "state/OneBasedArray.h"

namespace id {

// Measured points taken from the table: column 1 is the rate, column 2 the bottom-hole pressure.
class Measurements {
public:
    static constexpr int RateColumn = 1;
    static constexpr int PressureColumn = 2;

    int count() const { return rates_.size(); }

    double& operator()(int column, int point) {
        return column == RateColumn ? rates_[point] : pressures_[point];
    }
    double operator()(int column, int point) const {
        return column == RateColumn ? rates_[point] : pressures_[point];
    }

    double rate(int point) const { return rates_[point]; }
    double pressure(int point) const { return pressures_[point]; }

    void append(double rate, double pressure) {
        rates_.append(rate);
        pressures_.append(pressure);
    }
    void clear() {
        rates_.clear();
        pressures_.clear();
    }

    const OneBasedArray<double>& rates() const { return rates_; }
    const OneBasedArray<double>& pressures() const { return pressures_; }

    bool operator==(const Measurements&) const = default;

private:
    OneBasedArray<double> rates_;
    OneBasedArray<double> pressures_;
};

} // namespace id
