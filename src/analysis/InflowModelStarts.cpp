#include "analysis/InflowModelStarts.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace id::inflowsolver {

namespace {

// The open flow whose shape passes nearest the rates at the given Pпл (and n): the rate's share
// of it is fixed by the pressure, so it is a line through the origin.
double openFlowStart(const InflowModelInputs& in, double reservoir, double n, double largest) {
    double sqf = 0, sff = 0;
    const double pb = in.saturationPressure;
    const double d = reservoir - pb * VogelShareOfPb;
    for (std::size_t i = 0; i < in.rates.size(); ++i) {
        const double pw = in.pressures[i];
        if (!(pw < reservoir) || !(in.rates[i] > 0))
            continue;
        double share = 0;
        switch (in.model) {
        case InflowModel::Vogel: {
            const double x = pw / reservoir;
            share = 1 - 0.2 * x - 0.8 * x * x;
            break;
        }
        case InflowModel::Fetkovich:
            share = std::pow(1 - (pw / reservoir) * (pw / reservoir), n);
            break;
        case InflowModel::Composite: {
            const double y = pw / pb;
            share = (pw >= pb ? reservoir - pw
                              : reservoir - pb + pb / 1.8 * (1 - 0.2 * y - 0.8 * y * y)) /
                    d;
            break;
        }
        }
        sqf += in.rates[i] * share;
        sff += share * share;
    }
    const double start = sff > 0 ? sqf / sff : 2 * largest;
    return std::isfinite(start) ? std::max(start, 1.02 * largest) : 2 * largest;
}

// Fetkovich's open flows for several n at one Pпл in one pass: each point's 1 − (Pз/Pпл)² once,
// its power only where n is not 1 (then it is the value itself). The sums are the ones
// openFlowStart makes, term by term.
std::vector<double> fetkovichOpenFlowStarts(const InflowModelInputs& in, double reservoir,
                                            const std::vector<double>& exponents, double largest) {
    const std::size_t k = exponents.size();
    std::vector<double> sqf(k, 0.0), sff(k, 0.0);
    for (std::size_t i = 0; i < in.rates.size(); ++i) {
        const double pw = in.pressures[i];
        if (!(pw < reservoir) || !(in.rates[i] > 0))
            continue;
        const double base = 1 - (pw / reservoir) * (pw / reservoir);
        for (std::size_t e = 0; e < k; ++e) {
            const double share = exponents[e] == 1.0 ? base : std::pow(base, exponents[e]);
            sqf[e] += in.rates[i] * share;
            sff[e] += share * share;
        }
    }
    std::vector<double> starts(k);
    for (std::size_t e = 0; e < k; ++e) {
        const double start = sff[e] > 0 ? sqf[e] / sff[e] : 2 * largest;
        starts[e] = std::isfinite(start) ? std::max(start, 1.02 * largest) : 2 * largest;
    }
    return starts;
}

} // namespace

// The starts: for each Pпл of a grid above the highest pressure (or the given one), the open flow
// of the linearised form and, for Fetkovich, n from the log-log line and the textbook values.
std::vector<std::vector<double>> starts(const InflowModelInputs& in, double largest) {
    const auto [lowIt, highIt] = std::minmax_element(in.pressures.begin(), in.pressures.end());
    const double highest = *highIt, spread = *highIt - *lowIt;
    std::vector<double> reservoirs;
    if (in.reservoirPressure) {
        reservoirs.push_back(*in.reservoirPressure);
    } else {
        for (double f : {0.003, 0.02, 0.08, 0.25, 0.7, 2.0, 6.0}) {
            reservoirs.push_back(highest + spread * f);
            if (in.model == InflowModel::Composite && in.saturationPressure > highest)
                reservoirs.push_back(in.saturationPressure + spread * f);
        }
        // The straight line's intercept, where it lies above the points.
        const double n = static_cast<double>(in.rates.size());
        const double mq = std::accumulate(in.rates.begin(), in.rates.end(), 0.0) / n;
        const double mp = std::accumulate(in.pressures.begin(), in.pressures.end(), 0.0) / n;
        double sqq = 0, sqp = 0;
        for (std::size_t i = 0; i < in.rates.size(); ++i) {
            sqq += (in.rates[i] - mq) * (in.rates[i] - mq);
            sqp += (in.rates[i] - mq) * (in.pressures[i] - mp);
        }
        const double intercept = mp - sqp / sqq * mq;
        if (sqq > 0 && intercept > highest && std::isfinite(intercept))
            reservoirs.push_back(intercept);
    }
    std::vector<std::vector<double>> forms;
    // log q of each point, the same at every Pпл of the log-log lines.
    std::vector<double> logRates;
    if (in.model == InflowModel::Fetkovich)
        for (double q : in.rates)
            logRates.push_back(q > 0 ? std::log(q) : 0.0);
    for (double reservoir : reservoirs) {
        if (in.model != InflowModel::Fetkovich) {
            forms.push_back({openFlowStart(in, reservoir, 1, largest), reservoir});
            continue;
        }
        std::vector<double> exponents{0.5, 1.0};
        const double slope = logLogLine(in, reservoir, logRates).slope;
        if (std::isfinite(slope))
            exponents.push_back(std::clamp(slope, 0.3, 1.6));
        const std::vector<double> open = fetkovichOpenFlowStarts(in, reservoir, exponents, largest);
        for (std::size_t e = 0; e < exponents.size(); ++e)
            forms.push_back({open[e], exponents[e], reservoir});
    }
    return forms;
}

} // namespace id::inflowsolver
