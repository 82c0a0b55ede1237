// Images the panel draws once per look and then only copies: a switch's box,
// a lamp, a text field's frame. Looked up by the numbers that decide the
// look; QPixmapCache's keys are formatted text, and formatting one cost as
// much as copying the image.
#pragma once

#include <QPixmap>
#include <array>
#include <functional>

namespace panel {

// The first number says what kind of image it is; unused numbers stay 0.
using ImageKey = std::array<quint64, 8>;

// The image for `key`, drawn by `draw` the first time it is asked for.
QPixmap cachedImage(const ImageKey &key, const std::function<QPixmap()> &draw);

} // namespace panel
