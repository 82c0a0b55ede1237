#include "panel/panel_layout.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace panel {

namespace {

const int kModules = 7;
const int kChannelsPerModule = 6;

// Column widths of a module block, in pixels: four blocks across and the
// message box beside them fit a 1920 pixel wide screen.
const int kVoltageWidth = 78;
const int kCurrentWidth = 62;
const int kNameWidth = 100;
const int kEnableWidth = 60;
const int kSerialWidth = 84;
const int kMessageBoxWidth = 340;
const int kPositionWidth = 56;

QWidget *sized(QWidget *widget, int width)
{
    if (widget)
        widget->setFixedWidth(width);
    return widget;
}

QWidget *w(const ControlLookup &lookup, const QString &constant)
{
    Control *c = lookup(constant);
    return c ? c->widget() : nullptr;
}

QWidget *in(const ControlLookup &lookup, const QString &constant)
{
    Control *c = lookup(constant);
    return c ? c->input() : nullptr;
}

void add(QBoxLayout *layout, QWidget *widget, int stretch = 0)
{
    if (widget)
        layout->addWidget(widget, stretch);
}

QFrame *framed()
{
    auto *frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

QLabel *heading(const QString &text)
{
    auto *label = new QLabel(text);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

// One card position: identity, serial number and lamps, then the six channel
// rows (voltage, sink current, name, output) under their set-all buttons.
QWidget *moduleBlock(int k, const ControlLookup &lookup)
{
    const QString n = QString::number(k);
    QFrame *frame = framed();
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);
    // The identity text is long; the block's columns decide its width.
    if (QWidget *identity = in(lookup, "MODULE_" + n))
        identity->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    add(layout, w(lookup, "MODULE_" + n));

    auto *status = new QHBoxLayout;
    status->setSpacing(6);
    sized(in(lookup, "SN_" + n), kSerialWidth);
    add(status, w(lookup, "SN_" + n));
    status->addStretch(1);
    add(status, w(lookup, "INTERLOCK_" + n));
    add(status, w(lookup, "AVAILABLE_" + n));
    layout->addLayout(status);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    // Row 0: the set-all buttons head the columns they act on.
    const QString setV = "SET_V_ALL_MODULE" + n, setSink = "SET_SINK_ALL_MODULE" + n,
                  enableAll = "ENABLE_ALL_MODULE" + n;
    if (QWidget *b = sized(in(lookup, setV), kVoltageWidth))
        grid->addWidget(b, 0, 1);
    if (QWidget *b = sized(in(lookup, setSink), kCurrentWidth))
        grid->addWidget(b, 0, 2);
    if (QWidget *b = sized(in(lookup, enableAll), kEnableWidth))
        grid->addWidget(b, 0, 4);
    // Row 1: column headings; the first voltage and current controls carry
    // theirs as labels, the other modules get the same words as plain text.
    const int first = (k - 1) * kChannelsPerModule + 1;
    const auto columnHeading = [&](const QString &constant, const QString &text, int column) {
        Control *c = lookup(constant);
        QLabel *label = c ? c->label() : nullptr;
        grid->addWidget(label ? label : heading(text), 1, column);
    };
    columnHeading("VOLTAGE_CH_" + QString::number(first), "V", 1);
    columnHeading("CURRENT_SINK_CH_" + QString::number(first), "mA", 2);
    grid->addWidget(heading("name"), 1, 3);
    grid->addWidget(heading("on"), 1, 4);
    for (int j = 0; j < kChannelsPerModule; ++j) {
        const QString ch = QString::number(first + j);
        auto *number = new QLabel(ch);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setEnabled(false);
        grid->addWidget(number, 2 + j, 0);
        if (QWidget *x = sized(in(lookup, "VOLTAGE_CH_" + ch), kVoltageWidth))
            grid->addWidget(x, 2 + j, 1);
        if (QWidget *x = sized(in(lookup, "CURRENT_SINK_CH_" + ch), kCurrentWidth))
            grid->addWidget(x, 2 + j, 2);
        if (QWidget *x = sized(in(lookup, "strCh_" + ch), kNameWidth))
            grid->addWidget(x, 2 + j, 3);
        if (QWidget *x = in(lookup, "ENABLE_" + ch))
            grid->addWidget(x, 2 + j, 4, Qt::AlignHCenter);
    }
    layout->addLayout(grid);
    layout->addStretch(1);
    return frame;
}

// Panel-wide buttons and the chassis settings.
QWidget *commonBlock(const ControlLookup &lookup)
{
    QFrame *frame = framed();
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    add(layout, w(lookup, "ENABLEALL"));
    add(layout, w(lookup, "RESET"));
    add(layout, w(lookup, "RE_CALL_CUURENT_ALL"));
    add(layout, w(lookup, "RE_ENABLE_ALL"));
    add(layout, w(lookup, "TEXTMSG_2"));
    add(layout, w(lookup, "TEXTMSG_3"));
    add(layout, w(lookup, "STARTUP_MSG"));
    add(layout, w(lookup, "INTERLOCK_MSG"));
    add(layout, w(lookup, "PXI"));
    add(layout, w(lookup, "IPADDRESS"));
    layout->addStretch(1);
    auto *position = new QHBoxLayout;
    for (const char *constant : {"LEFT", "TOP"}) {
        sized(in(lookup, constant), kPositionWidth);
        add(position, w(lookup, constant));
    }
    layout->addLayout(position);
    add(layout, w(lookup, "QUIT"));
    return frame;
}

} // namespace

void arrangeControls(const ControlLookup &lookup, QWidget *content)
{
    auto *root = new QHBoxLayout(content);
    root->setContentsMargins(8, 8, 8, 8);
    root->setSpacing(8);

    auto *modules = new QGridLayout;
    modules->setSpacing(6);
    for (int k = 1; k <= kModules; ++k)
        modules->addWidget(moduleBlock(k, lookup), (k - 1) / 4, (k - 1) % 4);
    modules->addWidget(commonBlock(lookup), 1, 3);
    root->addLayout(modules);

    auto *side = new QVBoxLayout;
    side->setSpacing(6);
    add(side, w(lookup, "PICTURE"));
    if (QWidget *box = w(lookup, "MSGBOX")) {
        box->setMinimumWidth(kMessageBoxWidth);
        side->addWidget(box, 1);
    }
    auto *footer = new QHBoxLayout;
    add(footer, w(lookup, "VERSION"), 1);
    add(footer, w(lookup, "PICTURE_2"));
    side->addLayout(footer);
    root->addLayout(side, 1);
}

} // namespace panel
