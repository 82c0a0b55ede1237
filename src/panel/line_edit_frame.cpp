#include "panel/line_edit_frame.h"

#include "panel/image_cache.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionFrame>

namespace panel {

namespace {

// The application's style, but for the text field's panel and frame, which
// it draws once per state into an image and then copies.
class CachedFrameStyle : public QProxyStyle {
public:
    explicit CachedFrameStyle(const QString &base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
        if (element != PE_PanelLineEdit || !frame || option->rect.isEmpty()) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const ImageKey key = {3, static_cast<quint64>(option->state), static_cast<quint64>(option->direction),
                              static_cast<quint64>(option->palette.cacheKey()), static_cast<quint64>(frame->lineWidth)};
        const QPixmap image = cachedImage(key, option->rect.size(), painter->device()->devicePixelRatioF(),
                                          Qt::transparent, [&](QPainter &imagePainter) {
                                              QStyleOptionFrame at = *frame;
                                              at.rect.moveTo(0, 0);
                                              QProxyStyle::drawPrimitive(element, &at, &imagePainter, widget);
                                          });
        painter->drawPixmap(option->rect.topLeft(), image);
    }
};

QStyle *cachedFrameStyle()
{
    static QPointer<CachedFrameStyle> style;
    if (!style) {
        style = new CachedFrameStyle(QApplication::style()->name());
        style->setParent(qApp); // goes with the application, after its widgets
    }
    return style;
}

} // namespace

void drawFrameFromCache(QLineEdit *field) { field->setStyle(cachedFrameStyle()); }

} // namespace panel
