#include "panel/window/panel_layout.h"

#include "panel/controls/led_widget.h"
#include "panel/controls/output_highlight.h"
#include "panel/window/cells_view.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
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
// The message box and the buttons beside the blocks take at least this
// width, else they stack; they ask for the second.
const int kLogBesideMinWidth = 300;
const int kLogPreferredWidth = 460;
// Rows of the message box that stay in view on every screen.
const int kMessageBoxRows = 10;
const int kMaxColumns = 4;
const int kMargin = 8;
const int kSpacing = 6;
// Room for the vertical scroll bar of the blocks.
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

// The settings, the window's position, the pictures and the version.
QWidget *commonBlock(const ControlLookup &lookup)
{
    QFrame *frame = framed();
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    for (const char *constant : {"PICTURE", "TEXTMSG_2", "TEXTMSG_3", "STARTUP_MSG", "INTERLOCK_MSG", "PXI", "IPADDRESS"})
        add(layout, w(lookup, constant));
    layout->addStretch(1);
    auto *position = new QHBoxLayout;
    for (const char *constant : {"LEFT", "TOP"}) {
        sized(in(lookup, constant), kPositionWidth);
        add(position, w(lookup, constant));
    }
    layout->addLayout(position);
    auto *footer = new QHBoxLayout;
    add(footer, w(lookup, "VERSION"), 1);
    add(footer, w(lookup, "PICTURE_2"));
    layout->addLayout(footer);
    return frame;
}

// Width of `columns` blocks with their margins and the vertical scroll bar.
int blocksWidth(int columns, int blockWidth)
{
    return columns * blockWidth + (columns - 1) * kSpacing + 2 * kMargin + kScrollBarAllowance;
}

} // namespace

Flow flowFor(int width, int blockWidth, int cellsWidth)
{
    const auto across = [&](int columns) { return std::max(blocksWidth(columns, blockWidth), cellsWidth + 2 * kMargin); };
    for (int columns = kMaxColumns; columns >= 1; --columns)
        if (across(columns) + kLogBesideMinWidth <= width)
            return {columns, false};
    // Stacked, the blocks share the width with the message box.
    for (int columns = kMaxColumns; columns > 1; --columns)
        if (blocksWidth(columns, blockWidth) + kLogBesideMinWidth <= width)
            return {columns, true};
    return {1, true};
}

PanelLayout::PanelLayout(const ControlLookup &lookup, QWidget *window) : lookup_(lookup)
{
    auto *root = new QVBoxLayout(window);
    root->setContentsMargins(0, 0, 0, 0);
    central_ = new QWidget;
    root->addWidget(central_);

    cells_ = new CellsView(lookup, central_);
    cells_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed); // cells no wider than they need
    cells_->onActivated = [this](int channel) { showChannel(channel); };
    scroll_ = new QScrollArea(central_);
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

    for (const char *constant : {"ENABLEALL", "RESET", "RE_CALL_CUURENT_ALL", "RE_ENABLE_ALL"})
        if (QWidget *b = w(lookup, constant))
            buttons_.push_back(b);
    quit_ = w(lookup, "QUIT");
    messageBox_ = w(lookup, "MSGBOX");
    if (messageBox_) {
        const int rows = kMessageBoxRows * messageBox_->fontMetrics().lineSpacing();
        messageBox_->setMinimumSize(200, rows + 2 * messageBox_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
    }
    status_ = new QLabel;
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    // Not selectable: a selectable label is repainted after every callback,
    // whatever the callback changed.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    reflow(preferredSize(1 << 20).width());
}

QSize PanelLayout::preferredSize(int width) const
{
    const Flow f = flowFor(width, blockWidth_, cells_->sizeHint().width());
    const int blocks = static_cast<int>(blocks_.size());
    const int rows = (blocks + f.columns - 1) / f.columns;
    const int blocksHeight = rows * blockHeight_ + (rows - 1) * kSpacing + 2 * kMargin;
    const int cellsWidth = cells_->sizeHint().width() + 2 * kMargin;
    const int cellsHeight = cells_->sizeHint().height() + kMargin + kSpacing;
    if (f.stacked) {
        const int buttonsHeight = quit_ ? quit_->sizeHint().height() + kSpacing : 0;
        return {std::max(cellsWidth, blocksWidth(f.columns, blockWidth_) + kLogPreferredWidth),
                cellsHeight + buttonsHeight + blocksHeight + status_->sizeHint().height()};
    }
    return {std::max(blocksWidth(f.columns, blockWidth_), cellsWidth) + kLogPreferredWidth, cellsHeight + blocksHeight};
}

void PanelLayout::reflow(int width)
{
    const Flow f = flowFor(width, blockWidth_, cells_->sizeHint().width());
    if (placed_ && f == flow_)
        return;
    flow_ = f;
    placed_ = true;
    placeBlocks(f);
    place(f);
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

// Side by side: the cells over the blocks, and beside them the buttons, the
// message box, the status line and QUIT. Stacked: the cells, the buttons and
// QUIT in a row, the message box beside the blocks, the status line.
void PanelLayout::place(Flow f)
{
    delete central_->layout(); // its widgets stay with central_
    const auto put = [](QBoxLayout *layout, QWidget *x, int stretch = 0) {
        if (x)
            layout->addWidget(x, stretch);
    };
    auto *buttons = new QGridLayout;
    buttons->setSpacing(kSpacing);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const int at = static_cast<int>(i);
        buttons->addWidget(buttons_[i], f.stacked ? 0 : at / 2, f.stacked ? at : at % 2);
    }
    if (f.stacked) {
        auto *layout = new QVBoxLayout(central_);
        layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
        layout->setSpacing(kSpacing);
        put(layout, cells_);
        if (quit_)
            buttons->addWidget(quit_, 0, static_cast<int>(buttons_.size()));
        layout->addLayout(buttons);
        auto *lower = new QHBoxLayout;
        lower->setSpacing(kSpacing);
        put(lower, messageBox_, 1);
        scroll_->setFixedWidth(blocksWidth(f.columns, blockWidth_));
        put(lower, scroll_);
        layout->addLayout(lower, 1);
        put(layout, status_);
        return;
    }
    // The blocks take the width of their columns; the message box the rest.
    scroll_->setMinimumWidth(blocksWidth(f.columns, blockWidth_));
    scroll_->setMaximumWidth(QWIDGETSIZE_MAX);
    auto *layout = new QHBoxLayout(central_);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    auto *channels = new QVBoxLayout;
    channels->setSpacing(kSpacing);
    put(channels, cells_);
    put(channels, scroll_, 1);
    layout->addLayout(channels);
    auto *log = new QVBoxLayout;
    log->setSpacing(kSpacing);
    log->addLayout(buttons);
    put(log, messageBox_, 1);
    put(log, status_);
    put(log, quit_);
    layout->addLayout(log, 1);
}

// The channel's voltage field, in view and with the keyboard focus (a dimmed
// field takes no focus: then only in view).
void PanelLayout::showChannel(int channel)
{
    Control *volts = lookup_("VOLTAGE_CH_" + QString::number(channel));
    if (QWidget *field = volts ? volts->input() : nullptr) {
        scroll_->ensureWidgetVisible(field);
        field->setFocus(Qt::OtherFocusReason);
    }
}

void PanelLayout::setStatusText(const QString &text)
{
    if (status_)
        status_->setText(text);
}

} // namespace panel
