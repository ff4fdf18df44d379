#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace id {

// The inflow models of a producing well.
//   Vogel:      q = qmax·(1 − 0,2·x − 0,8·x²), x = Pз/Pпл; parameters qmax, Pпл.
//   Composite:  q = J·(Pпл − Pз) above Pнас; below it qb + J·Pнас/1,8·(1 − 0,2·y − 0,8·y²),
//               y = Pз/Pнас, qb = J·(Pпл − Pнас); parameters J, Pпл.
//   Fetkovich:  q = C·(Pпл² − Pз²)^n; parameters C, n, Pпл.
// Pпл is the last parameter of each.
enum class InflowModel { Vogel, Composite, Fetkovich };

int inflowParameterCount(InflowModel model);

// The model's rate at a bottom-hole pressure, and its bottom-hole pressure at a rate (none where
// the model gives none).
double modelRate(InflowModel model, const std::vector<double>& values, double saturationPressure,
                 double pressure);
std::optional<double> modelPressure(InflowModel model, const std::vector<double>& values,
                                    double saturationPressure, double rate);

// "Фогель", "Дарси + Фогель (с Pнас)", "Феткович".
QString inflowModelName(InflowModel model);

} // namespace id
