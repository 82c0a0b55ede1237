// Images the panel draws once per look and then only copies: a switch's box,
// a lamp, a text field's frame. Looked up by the numbers that decide the
// look; QPixmapCache's keys are formatted text, and formatting one cost as
// much as copying the image.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <array>
#include <functional>

class QPainter;

namespace panel {

// What decides the look beyond size, scale and background, the first number
// saying what kind of image it is; unused numbers stay 0.
using ImageKey = std::array<quint64, 6>;

// The image of `size` (logical pixels, `ratio` device pixels each) for
// `key`. The first time it is asked for it is filled with `background` and
// drawn by `draw`, whose painter starts at the image's top left.
QPixmap cachedImage(const ImageKey &key, QSize size, qreal ratio, const QColor &background,
                    const std::function<void(QPainter &)> &draw);

} // namespace panel
