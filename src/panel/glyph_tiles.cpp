#include "panel/glyph_tiles.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace panel {

namespace {

// More phases than this within a pixel: no tiles for the font.
constexpr int kMostPhases = 16;
// Pairs of colours kept at once: those of an active, an inactive and a
// disabled window.
constexpr std::size_t kSets = 3;
// Larger glyphs are not kept: Qt draws them as paths, at any offset, and
// their cells would be large.
constexpr qreal kLargestPixels = 48;
// Pixels kept for one pair of colours: 1 MB.
constexpr std::size_t kSetPixels = 256 * 1024;
// Cells in a row of the image new tiles are drawn in.
constexpr int kCellsAcross = 16;
// A tile's lines are kept and copied in whole pieces of this many pixels,
// filled out with the background.
constexpr int kPiece = 8;

int pieces(int width) { return (width + kPiece - 1) / kPiece; }

bool copyable(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

bool whole(qreal x) { return x == static_cast<qreal>(static_cast<qint64>(x)); }

quint32 pixelAt(const QImage &image, int x, int y)
{
    return reinterpret_cast<const quint32 *>(image.constScanLine(y))[x];
}

void drawGlyphs(QPainter &p, const QRect &rect, const QRawFont &font, const QColor &color, const QColor &background,
                const std::vector<quint32> &glyphs, const std::vector<QPointF> &positions)
{
    p.fillRect(rect, background);
    drawGlyphRun(p, QPointF(0, 0), font, glyphs.data(), positions.data(), static_cast<int>(glyphs.size()), color);
}

} // namespace

void drawGlyphRun(QPainter &p, QPointF origin, const QRawFont &font, const quint32 *glyphs, const QPointF *pens,
                  int count, const QColor &color)
{
    QGlyphRun run;
    run.setRawFont(font);
    run.setRawData(glyphs, pens, count);
    p.setPen(color);
    p.drawGlyphRun(origin, run);
}

// The hidden widget glyphs are drawn on through QWidget::render: drawn on a
// widget they take the antialiasing text on a widget takes, which a painter
// on an image does not always give them.
class GlyphTiles::Canvas : public QWidget {
public:
    using QWidget::QWidget;

    QRawFont font;
    QColor color;
    QColor background;
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    QPainter::RenderHints hints; // those a widget's painter starts with
    bool painted = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        hints = p.renderHints();
        drawGlyphs(p, rect(), font, color, background, glyphs, positions);
        painted = true;
    }
};

GlyphTiles::GlyphTiles(QWidget *owner) : owner_(owner) {}

GlyphTiles::~GlyphTiles() { delete canvas_; }

void GlyphTiles::setFont(const QRawFont &font, const std::array<quint32, 256> &glyphs, int height, int ascent)
{
    font_ = font;
    glyphs_ = glyphs;
    height_ = height;
    ascent_ = ascent;
    const int size = static_cast<int>(std::ceil(font.pixelSize()));
    pad_ = size / 4 + 2;
    cellWidth_ = 2 * pad_ + size;
    phasesFormat_ = QImage::Format_Invalid;
    phasesFound_ = false;
    sets_.clear();
    row_ = QImage();
}

// Draws the glyphs on an image; on the canvas, and through it on the image,
// where `onWidget` or where the two were found to differ.
QImage GlyphTiles::drawGlyphsOn(QSize size, QImage::Format format, const QColor &color, const QColor &background,
                                std::vector<quint32> glyphs, std::vector<QPointF> positions, bool onWidget)
{
    QImage image(size, format);
    if (image.isNull())
        return image;
    if (!onWidget && !widgetOnly_) {
        QPainter p(&image);
        drawGlyphs(p, image.rect(), font_, color, background, glyphs, positions);
        return image;
    }
    if (!canvas_) {
        canvas_ = new Canvas(owner_);
        canvas_->setAttribute(Qt::WA_DontShowOnScreen);
        canvas_->hide();
    }
    canvas_->font = font_;
    canvas_->color = color;
    canvas_->background = background;
    canvas_->glyphs = std::move(glyphs);
    canvas_->positions = std::move(positions);
    canvas_->painted = false;
    canvas_->resize(size);
    canvas_->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return canvas_->painted ? image : QImage();
}

// Draws a few glyphs at each 64th of a pixel and sorts the offsets by what
// they draw: alike, or alike but a pixel over.
bool GlyphTiles::findPhases(QImage::Format format)
{
    phasesFormat_ = format;
    phasesFound_ = false;
    phaseAt_.clear();
    sets_.clear(); // their tiles are by phase
    // Upright, slanted and round strokes: offsets that draw all of these
    // alike draw any glyph alike.
    std::vector<quint32> test;
    for (const char c : {'M', 'W', 'l', '@'}) {
        if (glyphs_[static_cast<uchar>(c)] != 0)
            test.push_back(glyphs_[static_cast<uchar>(c)]);
    }
    if (test.empty() || !font_.isValid() || font_.pixelSize() > kLargestPixels)
        return false;
    const int cellHeight = height_ + 2;
    const int across = static_cast<int>(test.size()) * cellWidth_;
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    for (int q = 0; q < 64; ++q) {
        for (std::size_t j = 0; j < test.size(); ++j) {
            glyphs.push_back(test[j]);
            positions.emplace_back(static_cast<int>(j) * cellWidth_ + pad_ + q / 64.0, q * cellHeight + 1 + ascent_);
        }
    }
    const QImage image = drawGlyphsOn(QSize(across + 1, 64 * cellHeight), format, Qt::black, Qt::white, glyphs,
                                      positions, true);
    if (image.isNull())
        return false;
    // Through QWidget::render tiles cost many times more to draw than on an
    // image, so they are drawn there unless the two differ; where they do
    // (another antialiasing), they do in every glyph.
    constexpr int kCompared = 4; // offsets
    const std::size_t compared = kCompared * test.size();
    widgetOnly_ = false;
    widgetOnly_ = drawGlyphsOn(QSize(across + 1, kCompared * cellHeight), format, Qt::black, Qt::white,
                               std::vector<quint32>(glyphs.begin(), glyphs.begin() + compared),
                               std::vector<QPointF>(positions.begin(), positions.begin() + compared), false)
        != image.copy(0, 0, across + 1, kCompared * cellHeight);
    const quint32 *bits = reinterpret_cast<const quint32 *>(image.constBits());
    const qsizetype stride = image.bytesPerLine() / 4;
    const auto line = [&](int q, int y) { return bits + (q * cellHeight + y) * stride; };
    const quint32 blank = line(0, 0)[across];
    // The ink keeps off the edges of its cell, so a glyph a pixel over is
    // still whole in it.
    for (int q = 0; q < 64; ++q) {
        for (int y = 0; y < cellHeight; ++y) {
            const quint32 *l = line(q, y);
            if ((y == 0 || y == cellHeight - 1) && std::any_of(l, l + across, [&](quint32 v) { return v != blank; }))
                return false;
            for (int x = 0; x < across; x += cellWidth_) {
                if (l[x] != blank || l[x + cellWidth_ - 1] != blank)
                    return false;
            }
        }
    }
    const auto alike = [&](int q, int r, int shift) {
        for (int y = 1; y + 1 < cellHeight; ++y) {
            if (!std::equal(line(q, y) + 1, line(q, y) + across - 1, line(r, y) + 1 - shift))
                return false;
        }
        return true;
    };
    for (int q = 0; q < 64; ++q) {
        bool found = false;
        for (std::size_t k = 0; k < phaseAt_.size() && !found; ++k) {
            for (const int shift : {0, 1, -1}) {
                if (alike(q, phaseAt_[k], shift)) {
                    phase_[q] = static_cast<qint8>(k);
                    shift_[q] = static_cast<qint8>(shift);
                    found = true;
                    break;
                }
            }
        }
        if (found)
            continue;
        if (phaseAt_.size() == kMostPhases)
            return false;
        phase_[q] = static_cast<qint8>(phaseAt_.size());
        shift_[q] = 0;
        phaseAt_.push_back(q);
    }
    phasesFound_ = true;
    return true;
}

GlyphTiles::Tiles &GlyphTiles::tilesFor(const QColor &color, const QColor &background, QImage::Format format)
{
    ++uses_;
    for (Tiles &set : sets_) {
        if (set.color == color && set.background == background && set.format == format) {
            set.used = uses_;
            return set;
        }
    }
    if (sets_.size() >= kSets) {
        sets_.erase(std::min_element(sets_.begin(), sets_.end(),
                                     [](const Tiles &a, const Tiles &b) { return a.used < b.used; }));
    }
    Tiles &set = sets_.emplace_back();
    set.color = color;
    set.background = background;
    set.format = format;
    set.tiles.resize(256 * phaseAt_.size());
    set.used = uses_;
    return set;
}

// Draws the tiles `missing` (by index into set.tiles) in one go, each in a
// cell of its own, and keeps the ink of each.
void GlyphTiles::draw(Tiles &set, const std::vector<int> &missing)
{
    const int phases = static_cast<int>(phaseAt_.size());
    const int cellHeight = height_ + 2;
    const int count = static_cast<int>(missing.size());
    const int across = std::min(count, kCellsAcross);
    const int down = (count + across - 1) / across;
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    for (int i = 0; i < count; ++i) {
        glyphs.push_back(glyphs_[missing[i] / phases]);
        positions.emplace_back((i % across) * cellWidth_ + pad_ + phaseAt_[missing[i] % phases] / 64.0,
                               (i / across) * cellHeight + 1 + ascent_);
    }
    const QImage image = drawGlyphsOn(QSize(across * cellWidth_ + 1, down * cellHeight), set.format, set.color,
                                      set.background, std::move(glyphs), std::move(positions), false);
    for (int i = 0; i < count; ++i) {
        Tile &tile = set.tiles[missing[i]];
        tile = Tile{};
        tile.width = 0;
        if (image.isNull())
            continue; // not exact: the rows it is in are drawn as glyphs
        set.blank = pixelAt(image, across * cellWidth_, 0);
        const int x0 = (i % across) * cellWidth_;
        const int y0 = (i / across) * cellHeight;
        int left = INT_MAX;
        int right = INT_MIN;
        int top = INT_MAX;
        int bottom = INT_MIN;
        for (int y = 0; y < cellHeight; ++y) {
            const quint32 *line = reinterpret_cast<const quint32 *>(image.constScanLine(y0 + y)) + x0;
            for (int x = 0; x < cellWidth_; ++x) {
                if (line[x] != set.blank) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y + 1);
                }
            }
        }
        if (left == INT_MAX) {
            tile.exact = true;
            continue;
        }
        // Ink on the cell's edge may have gone on past it.
        tile.exact = left > 0 && right < cellWidth_ && top > 0 && bottom < cellHeight;
        tile.left = static_cast<qint16>(left - pad_);
        tile.top = static_cast<qint16>(top - 1);
        tile.width = static_cast<qint16>(right - left);
        tile.height = static_cast<qint16>(bottom - top);
        tile.offset = static_cast<std::uint32_t>(set.pixels.size());
        for (int y = top; y < bottom; ++y) {
            const quint32 *line = reinterpret_cast<const quint32 *>(image.constScanLine(y0 + y)) + x0;
            set.pixels.insert(set.pixels.end(), line + left, line + right);
            set.pixels.insert(set.pixels.end(), pieces(tile.width) * kPiece - tile.width, set.blank);
        }
    }
}

bool GlyphTiles::paint(QPainter &p, QPointF origin, const uchar *chars, const QPointF *pens, int count,
                       const QColor &color, const QColor &background)
{
    // Only a raster engine on an image of 32-bit pixels, placed whole
    // pixels over, takes rows of pixels copied as they are.
    QPaintEngine *engine = p.paintEngine();
    if (!font_.isValid() || !engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice()
        || engine->paintDevice()->devType() != QInternal::Image || background.alpha() != 255)
        return false;
    const QImage &target = *static_cast<const QImage *>(engine->paintDevice());
    const QTransform &toDevice = p.deviceTransform();
    if (!copyable(target.format()) || target.devicePixelRatio() != 1 || p.device()->devicePixelRatio() != 1
        || toDevice.type() > QTransform::TxTranslate || !whole(toDevice.dx()) || !whole(toDevice.dy()) || p.opacity() != 1
        || p.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const qreal top = origin.y() - ascent_;
    if (!whole(top) || std::abs(top) > 1 << 24)
        return false;
    if (phasesFormat_ != target.format())
        findPhases(target.format());
    if (!phasesFound_ || canvas_->hints != p.renderHints())
        return false;

    Tiles &set = tilesFor(color, background, target.format());
    const int phases = static_cast<int>(phaseAt_.size());
    // The first row in these colours draws every printable ASCII glyph at
    // every phase in one go, at the box's first paint: drawn one row at a
    // time, the first lines of a run each cost several times a copied row.
    const int ascii = set.ascii ? 0 : (0x7f - 0x21) * phases;
    const std::size_t cellPixels = static_cast<std::size_t>(pieces(cellWidth_) * kPiece) * (height_ + 2);
    if (set.pixels.size() + (count + ascii) * cellPixels > kSetPixels) { // within its bound: start again
        set.pixels.clear();
        std::fill(set.tiles.begin(), set.tiles.end(), Tile{});
    }
    places_.clear();
    missing_.clear();
    if (!set.ascii) {
        set.ascii = true;
        for (int c = 0x21; c < 0x7f; ++c) {
            if (glyphs_[static_cast<std::size_t>(c)] == 0)
                continue; // not in the font: such rows are laid out
            for (int phase = 0; phase < phases; ++phase) {
                const int tile = c * phases + phase;
                if (set.tiles[tile].width == -1) {
                    set.tiles[tile].width = -2;
                    missing_.push_back(tile);
                }
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        // Pens fall on 64ths of a pixel, as the font's advances do.
        const qreal x = (origin.x() + pens[i].x()) * 64;
        if (!whole(x) || std::abs(x) > 1 << 30) {
            for (const int tile : missing_)
                set.tiles[tile].width = -1;
            return false;
        }
        const int fixed = static_cast<int>(x);
        const int q = fixed & 63;
        const int tile = chars[i] * phases + phase_[q];
        places_.push_back({tile, (fixed >> 6) + shift_[q]});
        if (set.tiles[tile].width == -1) {
            set.tiles[tile].width = -2; // drawn below
            missing_.push_back(tile);
        }
    }
    if (!missing_.empty())
        draw(set, missing_);

    // A glyph whose ink reaches into that of one before it is blended over
    // it, by a glyph run drawn over the copied row as Qt draws them in turn.
    int left = INT_MAX; // of the copied ink
    int right = INT_MIN;
    int inkTop = INT_MAX;
    int inkBottom = INT_MIN;
    int past = INT_MIN; // past the ink so far
    runGlyphs_.clear();
    runPens_.clear();
    for (Place &place : places_) {
        const Tile &tile = set.tiles[place.tile];
        if (!tile.exact)
            return false;
        if (tile.width == 0)
            continue;
        const int from = place.pixel + tile.left;
        if (from < past) {
            runGlyphs_.push_back(glyphs_[static_cast<std::size_t>(place.tile / phases)]);
            runPens_.push_back(pens[&place - places_.data()]);
            place.tile = -1;
        } else {
            left = std::min(left, from);
            right = std::max(right, from + tile.width);
            inkTop = std::min<int>(inkTop, tile.top);
            inkBottom = std::max(inkBottom, tile.top + tile.height);
        }
        past = std::max(past, from + tile.width);
    }
    if (left == INT_MAX)
        return true; // no ink at all

    // Only the copied ink's rectangle is drawn: the band around it has the
    // background already. Glyphs go in from the left, so what a tile fills
    // out past its ink is ink of the next or background.
    const int width = right - left;
    const int room = width + kPiece;
    if (row_.format() != target.format() || row_.width() < room || row_.height() != height_)
        row_ = QImage(std::max(room, row_.format() == target.format() ? row_.width() : 0), height_, target.format());
    if (row_.isNull())
        return false;
    quint32 *bits = reinterpret_cast<quint32 *>(row_.bits());
    const qsizetype stride = row_.bytesPerLine() / 4;
    if (blankLine_.size() < static_cast<std::size_t>(room) || blankLine_.front() != set.blank)
        blankLine_.assign(static_cast<std::size_t>(row_.width()), set.blank);
    for (int y = inkTop; y < inkBottom; ++y)
        std::copy_n(blankLine_.data(), room, bits + y * stride);
    for (const Place &place : places_) {
        if (place.tile < 0)
            continue;
        const Tile &tile = set.tiles[place.tile];
        const quint32 *from = set.pixels.data() + tile.offset;
        quint32 *to = bits + tile.top * stride + (place.pixel + tile.left - left);
        const int n = pieces(tile.width);
        const quint32 *const end = from + tile.height * n * kPiece;
        if (n == 1) { // most glyphs of a text font
            for (; from != end; from += kPiece, to += stride)
                std::memcpy(to, from, kPiece * sizeof(quint32));
            continue;
        }
        for (; from != end; to += stride) {
            for (int k = 0; k < n; ++k, from += kPiece)
                std::memcpy(to + k * kPiece, from, kPiece * sizeof(quint32));
        }
    }
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(left, static_cast<int>(top) + inkTop), row_, QRect(0, inkTop, width, inkBottom - inkTop));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!runGlyphs_.empty())
        drawGlyphRun(p, origin, font_, runGlyphs_.data(), runPens_.data(), static_cast<int>(runGlyphs_.size()), color);
    return true;
}

} // namespace panel
