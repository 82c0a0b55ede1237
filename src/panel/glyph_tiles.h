// Rows of plain text copied together from glyphs Qt blended once: blending
// every glyph anew was most of what painting the message box cost.
#pragma once

#include <QColor>
#include <QImage>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <vector>

class QPainter;
class QWidget;

namespace panel {

// Draws `count` glyphs of `font` in `color`, their pens at `origin + pens[i]`
// with `origin` on the baseline: the glyph run that tiles copy.
void drawGlyphRun(QPainter &p, QPointF origin, const QRawFont &font, const quint32 *glyphs, const QPointF *pens,
                  int count, const QColor &color);

// Paints a row of glyphs of one font, one glyph a Latin-1 character, over a
// solid background exactly as QPainter::drawGlyphRun paints it there. Each
// glyph is drawn by drawGlyphRun itself, once for each of the few places
// within a pixel Qt tells apart, into an image of the target's format, and
// its pixels are copied from then on. A row whose copy might differ from
// what drawGlyphRun paints is left to the caller.
//
// Tiles are kept for a few pairs of colours and image formats at once, each
// pair within a bound on its pixels: together at most about 4 MB.
class GlyphTiles {
public:
    // The glyphs are drawn on a hidden child of `owner`: drawn on a widget,
    // they take the antialiasing a widget's text takes.
    explicit GlyphTiles(QWidget *owner);
    ~GlyphTiles();
    GlyphTiles(const GlyphTiles &) = delete;
    GlyphTiles &operator=(const GlyphTiles &) = delete;

    // The font, the glyph of each character, and the band a row takes:
    // `height` pixels, the baseline `ascent` below its top. Forgets every tile.
    void setFont(const QRawFont &font, const std::array<quint32, 256> &glyphs, int height, int ascent);

    // Paints the characters `chars` with their pens at `origin + pens[i]`,
    // origin on the baseline, in `color` over a band the colour `background`
    // already fills. False, with nothing painted, where the copy might not
    // equal what drawGlyphRun paints there.
    bool paint(QPainter &p, QPointF origin, const uchar *chars, const QPointF *pens, int count, const QColor &color,
               const QColor &background);

private:
    class Canvas;
    struct Tile {
        qint16 left = 0;    // of the ink, from the pixel the pen is in
        qint16 top = 0;     // of the ink, from the top of the band
        qint16 width = -1;  // of the ink: 0 for none, -1 while not drawn
        qint16 height = 0;
        bool exact = false; // the ink stayed inside the cell it was drawn in
        std::uint32_t offset = 0; // of its pixels in Tiles::pixels
    };
    // The tiles for one pair of colours over one image format.
    struct Tiles {
        QColor color;
        QColor background;
        QImage::Format format = QImage::Format_Invalid;
        quint32 blank = 0; // the background as a pixel of the format
        std::vector<Tile> tiles; // by character and phase
        std::vector<quint32> pixels;
        std::uint64_t used = 0;
        bool ascii = false; // its printable ASCII tiles drawn, all at once
    };
    struct Place {
        int tile;  // index into Tiles::tiles
        int pixel; // the pixel the pen is in, moved as its phase draws
    };

    bool findPhases(QImage::Format format);
    Tiles &tilesFor(const QColor &color, const QColor &background, QImage::Format format);
    void draw(Tiles &set, const std::vector<int> &missing);
    QImage drawGlyphsOn(QSize size, QImage::Format format, const QColor &color, const QColor &background,
                        std::vector<quint32> glyphs, std::vector<QPointF> positions, bool onWidget);

    QWidget *owner_;
    Canvas *canvas_ = nullptr;
    QRawFont font_;
    std::array<quint32, 256> glyphs_{};
    int height_ = 0;
    int ascent_ = 0;
    int pad_ = 0;       // left of a glyph's pen in its cell
    int cellWidth_ = 0; // of the cell a glyph is drawn in
    // Qt draws a glyph at one of a few offsets within a pixel. For each 64th
    // of a pixel: the phase it falls in, and how many pixels the glyph drawn
    // for that phase moves.
    std::array<qint8, 64> phase_{};
    std::array<qint8, 64> shift_{};
    std::vector<int> phaseAt_; // the 64th each phase's tiles are drawn at
    QImage::Format phasesFormat_ = QImage::Format_Invalid; // found for; Invalid: not yet
    bool phasesFound_ = false; // few enough of them to keep tiles
    bool widgetOnly_ = false;  // glyphs drawn on an image differ from those on a widget
    std::vector<Tiles> sets_;
    std::uint64_t uses_ = 0;
    std::vector<Place> places_;
    std::vector<int> missing_;
    std::vector<quint32> runGlyphs_; // drawn over the copied row
    std::vector<QPointF> runPens_;
    QImage row_;                    // the row, copied together
    std::vector<quint32> blankLine_; // a line of it with no ink
};

} // namespace panel
