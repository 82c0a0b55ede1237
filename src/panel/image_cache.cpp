#include "panel/image_cache.h"

#include <QHash>
#include <QPainter>
#include <unordered_map>

namespace panel {

namespace {

// The caller's numbers, then size, scale and background.
using FullKey = std::array<quint64, std::tuple_size_v<ImageKey> + 3>;

struct KeyHash {
    std::size_t operator()(const FullKey &key) const { return qHashRange(key.begin(), key.end()); }
};

// A panel needs a few dozen looks; far more means something keeps changing
// (a palette, the scale), and the images start again from none.
constexpr std::size_t kMaxImages = 512;

} // namespace

QPixmap cachedImage(const ImageKey &key, QSize size, qreal ratio, const QColor &background,
                    const std::function<void(QPainter &)> &draw)
{
    // Never freed: a pixmap may not outlive the application object, and
    // widgets paint up to the process's end.
    static auto *images = new std::unordered_map<FullKey, QPixmap, KeyHash>;
    FullKey full{};
    std::copy(key.begin(), key.end(), full.begin());
    full[key.size()] = static_cast<quint64>(size.width()) << 32 | static_cast<quint32>(size.height());
    full[key.size() + 1] = static_cast<quint64>(ratio * 1000);
    full[key.size() + 2] = background.rgba64();
    const auto found = images->find(full);
    if (found != images->end())
        return found->second;
    if (images->size() >= kMaxImages)
        images->clear();
    QPixmap image(size * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(background);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    images->emplace(full, image);
    return image;
}

} // namespace panel
