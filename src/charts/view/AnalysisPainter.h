#pragma once

#include "diagram/ChartInputs.h"
#include "platform/view/PictureSurface.h"

#include <QSize>
#include <optional>

namespace id {

// The surfaces of the two charts: canvas and plot area of the diagram, then of the PI chart.
struct ChartSurfaces {
    PictureSurface& picture3;
    PictureSurface& picture4;
    PictureSurface& picture7;
    PictureSurface& picture8;
};

// The charts' axes, labels and points as last drawn, and what they were drawn from: a command
// that leaves them as they were redraws only the trends over them.
struct ChartLayers {
    struct DiagramBase {
        std::int16_t WellType = 0;
        id::Measurements Measurements;
        id::Measurements ExcludedPoints;
        double SaturationPressure = 0;
        double axes[4] = {};
        QSize sizes[2];
        double zoom = 1;
        bool operator==(const DiagramBase&) const = default;
    };
    struct PiBase {
        std::int16_t WellType = 0;
        double axes[4] = {};
        QSize sizes[2];
        double zoom = 1;
        bool operator==(const PiBase&) const = default;
    };
    // A chart's canvas and plot area as drawn from the inputs.
    template <typename Inputs> struct Kept {
        std::optional<Inputs> inputs;
        PictureSurface::Layer frame, plot;
    };
    Kept<DiagramBase> diagram;
    Kept<PiBase> pi;
};

// Draws every chart the analysis shows from the analysis alone: the diagram with each trend on
// it, then the PI chart with each trend's curve. Charts not shown are left alone. With layers,
// the axes and points are taken from them where they would be drawn the same.
void drawAnalysis(const ChartInputs& state, const ChartSurfaces& surfaces,
                  ChartLayers* layers = nullptr);

} // namespace id
