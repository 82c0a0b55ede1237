#include "panel/line_edit_frame.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPixmapCache>
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
        const qreal ratio = painter->device()->devicePixelRatioF();
        const QString key = QStringLiteral("tavr-field-frame:%1:%2:%3x%4:%5:%6:%7")
                                .arg(static_cast<uint>(option->state))
                                .arg(static_cast<int>(option->direction))
                                .arg(option->rect.width())
                                .arg(option->rect.height())
                                .arg(ratio)
                                .arg(option->palette.cacheKey())
                                .arg(frame->lineWidth);
        QPixmap image;
        if (!QPixmapCache::find(key, &image)) {
            image = QPixmap(option->rect.size() * ratio);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            QStyleOptionFrame at = *frame;
            at.rect.moveTo(0, 0);
            QPainter imagePainter(&image);
            QProxyStyle::drawPrimitive(element, &at, &imagePainter, widget);
            imagePainter.end();
            QPixmapCache::insert(key, image);
        }
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
