#include "panel/log/message_pane.h"

#include "panel/log/find_bar.h"
#include "panel/log/message_box_view.h"

#include <QVBoxLayout>

namespace panel {

MessagePane::MessagePane(QWidget *parent) : QWidget(parent), box_(new MessageBoxView), findBar_(new FindBar(box_))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(box_, 1);
    layout->addWidget(findBar_);
    connect(box_, &MessageBoxView::findRequested, findBar_, &FindBar::open);
}

} // namespace panel
