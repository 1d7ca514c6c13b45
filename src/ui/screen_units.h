#pragma once
// Pane and column sizes are given in the pixels of a system font whose lines are 13 pixels
// high; with a larger font they grow in proportion, so that the same texts fit.

#include <QFontMetrics>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace morvaline::ui {

inline int screenUnits(const QWidget& widget, int pixels) {
    const double scale = std::max(1.0, QFontMetrics(widget.font()).height() / 13.0);
    return static_cast<int>(std::lround(pixels * scale));
}

}  // namespace morvaline::ui
