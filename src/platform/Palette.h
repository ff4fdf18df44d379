#pragma once

#include <QColor>

namespace id {

// The standard 16-colour palette that chart colours are indices into.
inline QColor paletteColor(int index) {
    static const QColor colors[16] = {
        {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
        {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},    {0, 255, 0}, {0, 255, 255},
        {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
    return colors[(index % 16 + 16) % 16];
}

} // namespace id
