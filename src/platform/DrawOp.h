#pragma once

#include <QPointF>
#include <QString>
#include <memory>
#include <vector>

namespace id {

// One drawing operation as the program issued it, in the surface's user coordinates.
struct DrawOp {
    enum Kind { Clear, Scale, Line, Circle, Text, Image };

    Kind kind = Clear;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    double radius = 0;
    QString text;
    double fontSize = 0;
    int color = 0;
    int width = 0;
    bool filled = false;
    // Markers stamped at once are kept as one operation with every centre; a surface hands
    // them out one Circle each.
    std::shared_ptr<const std::vector<QPointF>> centres;
};

} // namespace id
