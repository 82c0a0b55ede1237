#include "panel/window/cells_accessible.h"

#include "panel/window/cells_view.h"

#include <QAccessibleActionInterface>
#include <QPointer>
#include <QWindow>

namespace panel {

namespace {

constexpr int kPerRow = CellsView::kPerPosition + 1; // the row, then its channels

// One item: position k's row (channel 0) or channel n.
class Item : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    Item(CellsView *view, int position, int channel) : view_(view), position_(position), channel_(channel) {}

    bool isValid() const override { return view_; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override
    {
        if (!view_ || (t != QAccessible::Name && t != QAccessible::Value))
            return {};
        return channel_ ? view_->channelWords(channel_) : view_->positionWords(position_);
    }

    QRect rect() const override
    {
        if (!view_)
            return {};
        const QRect r = channel_ ? view_->cellRect(channel_) : view_->positionRect(position_);
        return QRect(view_->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.focusable = channel_ != 0;
        s.focused = channel_ && view_ && view_->hasFocus() && view_->currentChannel() == channel_;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface && channel_ ? static_cast<QAccessibleActionInterface *>(this)
                                                                 : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {"Return"}; }
    void doAction(const QString &name) override
    {
        if (view_ && name == pressAction() && view_->onActivated)
            view_->onActivated(channel_);
    }

private:
    QPointer<CellsView> view_;
    int position_;
    int channel_;
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("panel::CellsView") && object && object->isWidgetType())
        return new CellsAccessible(static_cast<CellsView *>(object));
    return nullptr;
}

} // namespace

CellsAccessible::CellsAccessible(CellsView *view) : QAccessibleWidget(view, QAccessible::List) {}

CellsAccessible::~CellsAccessible()
{
    for (QAccessibleInterface *item : items_)
        if (item)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
}

void CellsAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

void CellsAccessible::announce(CellsView *view, int channel, QAccessible::Event event)
{
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view)) {
        QAccessibleEvent changed(list->child(indexOfChannel(channel)), event);
        QAccessible::updateAccessibility(&changed);
    }
}

CellsView *CellsAccessible::view() const { return static_cast<CellsView *>(widget()); }

int CellsAccessible::childCount() const { return CellsView::kPositions * kPerRow; }

int CellsAccessible::indexOfChannel(int n)
{
    return (n - 1) / CellsView::kPerPosition * kPerRow + (n - 1) % CellsView::kPerPosition + 1;
}

QAccessibleInterface *CellsAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    items_.resize(static_cast<std::size_t>(childCount()), nullptr);
    QAccessibleInterface *&item = items_[static_cast<std::size_t>(index)];
    if (!item) {
        const int k = index / kPerRow, j = index % kPerRow;
        item = new Item(view(), k + 1, j ? k * CellsView::kPerPosition + j : 0);
        QAccessible::registerAccessibleInterface(item);
    }
    return item;
}

int CellsAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == child)
            return static_cast<int>(i);
    return -1;
}

QAccessibleInterface *CellsAccessible::childAt(int x, int y) const
{
    for (int i = 0; i < childCount(); ++i)
        if (child(i)->rect().contains(x, y))
            return child(i);
    return nullptr;
}

QAccessibleInterface *CellsAccessible::focusChild() const
{
    return view()->hasFocus() ? child(indexOfChannel(view()->currentChannel())) : nullptr;
}

} // namespace panel
