#include "panel/image_cache.h"

#include <QHash>
#include <unordered_map>

namespace panel {

namespace {

struct KeyHash {
    std::size_t operator()(const ImageKey &key) const { return qHashRange(key.begin(), key.end()); }
};

// A panel needs a few dozen looks; far more means something keeps changing
// (a palette, the scale), and the images start again from none.
constexpr std::size_t kMaxImages = 512;

} // namespace

QPixmap cachedImage(const ImageKey &key, const std::function<QPixmap()> &draw)
{
    // Never freed: a pixmap may not outlive the application object, and
    // widgets paint up to the process's end.
    static auto *images = new std::unordered_map<ImageKey, QPixmap, KeyHash>;
    const auto found = images->find(key);
    if (found != images->end())
        return found->second;
    if (images->size() >= kMaxImages)
        images->clear();
    const QPixmap image = draw();
    images->emplace(key, image);
    return image;
}

} // namespace panel
