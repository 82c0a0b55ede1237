#include "panel/window/panel_layout.h"

#include "panel/controls/led_widget.h"
#include "panel/controls/output_highlight.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace panel {

namespace {

const int kModules = 7;
const int kChannelsPerModule = 6;

// Column widths of a module block, in pixels (logical pixels: a scaled
// screen scales them): four blocks across and the message box beside them
// fit a 1920 pixel wide screen.
const int kVoltageWidth = 78;
const int kCurrentWidth = 62;
const int kNameWidth = 100;
const int kEnableWidth = 60;
const int kSerialWidth = 84;
const int kPositionWidth = 56;
// The message box beside the blocks is at least this wide, else it goes below.
const int kLogBesideMinWidth = 320;
// Width it asks for beside the blocks, height below them.
const int kLogPreferredWidth = 460;
const int kLogPreferredHeight = 210;
const int kMaxColumns = 4;
const int kMargin = 8;
const int kSpacing = 6;
// Room for the vertical scroll bar of the blocks and the splitter handle.
const int kScrollBarAllowance = 24;

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

// What assistive technology calls a control: what it is and where.
QWidget *named(QWidget *widget, const QString &name)
{
    if (widget)
        widget->setAccessibleName(name);
    return widget;
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
    const QString module = "Module " + n;
    QFrame *frame = framed();
    frame->setAccessibleName(module);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);
    // The identity text is long; the block's columns decide its width.
    if (QWidget *identity = named(in(lookup, "MODULE_" + n), module + " identity"))
        identity->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    add(layout, w(lookup, "MODULE_" + n));

    auto *status = new QHBoxLayout;
    status->setSpacing(6);
    named(sized(in(lookup, "SN_" + n), kSerialWidth), module + " serial number");
    add(status, w(lookup, "SN_" + n));
    status->addStretch(1);
    if (auto *lamp = qobject_cast<LedWidget *>(named(in(lookup, "INTERLOCK_" + n), module + " interlock")))
        lamp->setStateWords({"link intact", "link intact", "interlock active", "not read"});
    add(status, w(lookup, "INTERLOCK_" + n));
    if (QWidget *lamp = named(in(lookup, "AVAILABLE_" + n), module + " not available"))
        lamp->setAccessibleDescription("not available"); // shown only while no card is found
    add(status, w(lookup, "AVAILABLE_" + n));
    layout->addLayout(status);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    // Row 0: the set-all buttons head the columns they act on.
    const QString setV = "SET_V_ALL_MODULE" + n, setSink = "SET_SINK_ALL_MODULE" + n,
                  enableAll = "ENABLE_ALL_MODULE" + n;
    if (QWidget *b = named(sized(in(lookup, setV), kVoltageWidth), module + " set all voltages"))
        grid->addWidget(b, 0, 1);
    if (QWidget *b = named(sized(in(lookup, setSink), kCurrentWidth), module + " set all sink currents"))
        grid->addWidget(b, 0, 2);
    if (QWidget *b = named(sized(in(lookup, enableAll), kEnableWidth), module + " set all outputs"))
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
        const QString channel = "Channel " + ch;
        auto *number = new QLabel(ch);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setEnabled(false);
        grid->addWidget(number, 2 + j, 0);
        if (QWidget *x = named(sized(in(lookup, "VOLTAGE_CH_" + ch), kVoltageWidth), channel + " voltage (V)"))
            grid->addWidget(x, 2 + j, 1);
        if (QWidget *x = named(sized(in(lookup, "CURRENT_SINK_CH_" + ch), kCurrentWidth), channel + " sink current (mA)"))
            grid->addWidget(x, 2 + j, 2);
        if (QWidget *x = named(sized(in(lookup, "strCh_" + ch), kNameWidth), channel + " name"))
            grid->addWidget(x, 2 + j, 3);
        if (QWidget *x = named(in(lookup, "ENABLE_" + ch), channel + " output")) {
            if (auto *button = qobject_cast<QAbstractButton *>(x))
                highlightWhenChecked(button);
            grid->addWidget(x, 2 + j, 4, Qt::AlignHCenter);
        }
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
    for (const char *constant : {"ENABLEALL", "RESET", "RE_CALL_CUURENT_ALL", "RE_ENABLE_ALL", "TEXTMSG_2", "TEXTMSG_3",
                                 "STARTUP_MSG", "INTERLOCK_MSG", "PXI", "IPADDRESS"})
        add(layout, w(lookup, constant));
    layout->addStretch(1);
    auto *position = new QHBoxLayout;
    for (const char *constant : {"LEFT", "TOP"}) {
        sized(in(lookup, constant), kPositionWidth);
        add(position, w(lookup, constant));
    }
    layout->addLayout(position);
    return frame;
}

// Width of `columns` blocks with their margins and the vertical scroll bar.
int blocksWidth(int columns, int blockWidth)
{
    return columns * blockWidth + (columns - 1) * kSpacing + 2 * kMargin + kScrollBarAllowance;
}

} // namespace

Flow flowFor(int width, int blockWidth)
{
    for (int columns = kMaxColumns; columns >= 3; --columns)
        if (blocksWidth(columns, blockWidth) + kLogBesideMinWidth <= width)
            return {columns, false};
    for (int columns = kMaxColumns; columns > 1; --columns)
        if (blocksWidth(columns, blockWidth) <= width)
            return {columns, true};
    return {1, true};
}

PanelLayout::PanelLayout(const ControlLookup &lookup, QWidget *window)
{
    auto *root = new QVBoxLayout(window);
    root->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea;
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget;

    grid_ = new QGridLayout(content);
    grid_->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    grid_->setSpacing(kSpacing);
    for (int k = 1; k <= kModules; ++k)
        blocks_.push_back(moduleBlock(k, lookup));
    blocks_.push_back(commonBlock(lookup));
    for (QWidget *block : blocks_) {
        block->ensurePolished();
        blockWidth_ = std::max(blockWidth_, block->sizeHint().width());
        blockHeight_ = std::max(blockHeight_, block->sizeHint().height());
    }
    scroll_->setWidget(content);

    logPane_ = new QWidget;
    logGrid_ = new QGridLayout(logPane_);
    logGrid_->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    logGrid_->setSpacing(kSpacing);
    picture_ = w(lookup, "PICTURE");
    messageBox_ = w(lookup, "MSGBOX");
    if (messageBox_)
        messageBox_->setMinimumSize(200, 100);
    footer_ = new QWidget;
    auto *footer = new QHBoxLayout(footer_);
    footer->setContentsMargins(0, 0, 0, 0);
    add(footer, w(lookup, "VERSION"), 1);
    add(footer, w(lookup, "PICTURE_2"));
    quit_ = w(lookup, "QUIT");
    status_ = new QLabel;
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    // Not selectable: a selectable label is repainted after every callback,
    // whatever the callback changed.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    split_ = new QSplitter;
    split_->setChildrenCollapsible(false);
    split_->addWidget(scroll_);
    split_->addWidget(logPane_);
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);
    root->addWidget(split_);
    reflow(preferredSize(1 << 20).width());
}

QSize PanelLayout::preferredSize(int width) const
{
    const Flow f = flowFor(width, blockWidth_);
    const int blocks = static_cast<int>(blocks_.size());
    const int rows = (blocks + f.columns - 1) / f.columns;
    const int across = blocksWidth(f.columns, blockWidth_);
    const int blocksHeight = rows * blockHeight_ + (rows - 1) * kSpacing + 2 * kMargin;
    if (f.logBelow)
        return {across, blocksHeight + split_->handleWidth() + kLogPreferredHeight};
    return {across + kLogPreferredWidth, blocksHeight};
}

void PanelLayout::reflow(int width)
{
    const Flow f = flowFor(width, blockWidth_);
    if (placed_ && f == flow_)
        return;
    flow_ = f;
    placed_ = true;
    placeBlocks(f);
    placeLog(f);
    // The blocks take the width they need; the message box the rest.
    if (f.logBelow) {
        split_->setOrientation(Qt::Vertical);
        split_->setSizes({1 << 20, kLogPreferredHeight});
    } else {
        split_->setOrientation(Qt::Horizontal);
        split_->setSizes({blocksWidth(f.columns, blockWidth_) - split_->handleWidth(), 1 << 20});
    }
}

void PanelLayout::placeBlocks(Flow f)
{
    for (QWidget *block : blocks_)
        grid_->removeWidget(block);
    for (int r = 0; r < grid_->rowCount(); ++r)
        grid_->setRowStretch(r, 0);
    for (int c = 0; c < grid_->columnCount(); ++c)
        grid_->setColumnStretch(c, 0);
    int i = 0;
    for (QWidget *block : blocks_) {
        grid_->addWidget(block, i / f.columns, i % f.columns);
        ++i;
    }
    const int rows = (i + f.columns - 1) / f.columns;
    // Spare room stays below and to the right of the blocks.
    grid_->setRowStretch(rows, 1);
    grid_->setColumnStretch(f.columns, 1);
}

void PanelLayout::placeLog(Flow f)
{
    for (QWidget *x : {picture_, messageBox_, footer_, quit_, static_cast<QWidget *>(status_)})
        if (x)
            logGrid_->removeWidget(x);
    for (int r = 0; r < 5; ++r)
        logGrid_->setRowStretch(r, 0);
    for (int c = 0; c < 2; ++c)
        logGrid_->setColumnStretch(c, 0);
    const auto put = [this](QWidget *x, int row, int column, int rows = 1, int columns = 1) {
        if (x)
            logGrid_->addWidget(x, row, column, rows, columns);
    };
    if (f.logBelow) {
        // Message box on the left, picture, version and QUIT beside it.
        put(messageBox_, 0, 0, 4, 1);
        put(picture_, 0, 1);
        put(footer_, 1, 1);
        put(quit_, 3, 1);
        put(status_, 4, 0, 1, 2);
        logGrid_->setRowStretch(2, 1);
        logGrid_->setColumnStretch(0, 1);
    } else {
        put(picture_, 0, 0);
        put(messageBox_, 1, 0);
        put(status_, 2, 0);
        put(footer_, 3, 0);
        put(quit_, 4, 0);
        logGrid_->setRowStretch(1, 1);
        logGrid_->setColumnStretch(0, 1);
    }
}

void PanelLayout::setStatusText(const QString &text)
{
    if (status_)
        status_->setText(text);
}

} // namespace panel
