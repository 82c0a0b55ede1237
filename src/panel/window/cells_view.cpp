#include "panel/window/cells_view.h"

#include "panel/controls/led_widget.h"
#include "panel/controls/output_highlight.h"
#include "panel/window/cells_accessible.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace panel {

namespace {

const int kPad = 4;
const int kOnBar = 3; // the green bar of an output that is on, pixels
// Setpoints resolve to 1 mV and 1 mA: a read-back further off differs.
const double kVoltResolution = 0.001;
const double kMilliampResolution = 1.0;
const QColor kOnGround(0xd2, 0xee, 0xd2);
const QColor kInterlockGround(0xf6, 0xc9, 0xc4);
const QColor kDiffers(0xb0, 0x3a, 0x00);

QString volts(double v, int decimals) { return QString::number(v, 'f', decimals); }

} // namespace

bool CellsView::Cell::voltsDiffer() const
{
    return read.volts && std::abs(*read.volts - volts) > kVoltResolution + 1e-9;
}

bool CellsView::Cell::milliampsDiffer() const
{
    return read.milliamps && std::abs(*read.milliamps - milliamps) > kMilliampResolution + 1e-9;
}

CellsView::CellsView(Lookup lookup, QWidget *parent) : QWidget(parent)
{
    for (int n = 1; n <= kChannels; ++n) {
        const QString ch = QString::number(n);
        controls_[n] = {lookup("VOLTAGE_CH_" + ch), lookup("CURRENT_SINK_CH_" + ch), lookup("ENABLE_" + ch)};
    }
    for (int k = 1; k <= kPositions; ++k)
        lamps_[k] = lookup("INTERLOCK_" + QString::number(k));
    CellsAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("All channels");
    setToolTip("Every channel's setpoints and read-backs. Click a cell, or press Enter on it, to go to its "
               "voltage field.");
    measure();
}

void CellsView::setReadings(std::function<ui::ChannelReadings(int)> source)
{
    readings_ = std::move(source);
    refresh();
}

CellsView::Cell CellsView::cell(int n) const
{
    Cell c;
    const ChannelControls &x = controls_[n];
    if (x.volts) {
        c.volts = x.volts->value().toDouble();
        c.voltsDimmed = x.volts->isDimmed();
    }
    if (x.milliamps) {
        c.milliamps = x.milliamps->value().toInt();
        c.milliampsDimmed = x.milliamps->isDimmed();
    }
    c.on = x.enable && x.enable->value().toInt() != 0;
    if (readings_)
        c.read = readings_(n);
    return c;
}

CellsView::Position CellsView::position(int k) const
{
    Position p;
    p.found = readings_ && readings_((k - 1) * kPerPosition + 1).cardFound;
    if (const auto *lamp = lamps_[k] ? qobject_cast<const LedWidget *>(lamps_[k]->input()) : nullptr) {
        p.interlock = lamp->stateWords();
        p.interlockActive = lamp->keptOff();
    }
    return p;
}

void CellsView::refresh()
{
    for (int n = 1; n <= kChannels; ++n) {
        const Cell now = cell(n);
        if (!(now == painted_[n])) {
            painted_[n] = now;
            update(cellRect(n));
            CellsAccessible::announce(this, n, QAccessible::NameChanged);
        }
    }
    for (int k = 1; k <= kPositions; ++k) {
        const Position now = position(k);
        if (!(now == paintedRows_[k])) {
            paintedRows_[k] = now;
            update(positionRect(k));
        }
    }
}

QString CellsView::channelWords(int n) const
{
    const Cell c = cell(n);
    QStringList words;
    if (!c.read.cardFound)
        words << "no card";
    words << volts(c.volts, 3) + " V set" + (c.voltsDimmed ? " (dimmed, not in force)" : "");
    if (c.read.volts)
        words << volts(*c.read.volts, 4) + " V read back" + (c.voltsDiffer() ? " (differs)" : "");
    else if (c.read.cardFound)
        words << "voltage not read";
    words << QString::number(c.milliamps) + " mA set" + (c.milliampsDimmed ? " (dimmed, not in force)" : "");
    if (c.read.milliamps)
        words << volts(*c.read.milliamps, 0) + " mA read back" + (c.milliampsDiffer() ? " (differs)" : "");
    else if (c.read.cardFound)
        words << "current not read";
    words << (c.on ? "output on" : "output off");
    return QString("Channel %1: %2").arg(n).arg(words.join(", "));
}

QString CellsView::positionWords(int k) const
{
    const Position p = position(k);
    return QString("Module %1: %2").arg(k).arg(p.found ? "card found, " + p.interlock : QString("not available"));
}

void CellsView::measure()
{
    const QFontMetrics fm(font());
    const int number = fm.horizontalAdvance("42");
    const int left = std::max(fm.horizontalAdvance("not read"), fm.horizontalAdvance(QString::fromUtf8("\u22607.0000")));
    const int right = fm.horizontalAdvance(QString::fromUtf8("\u2260100"));
    cellWidth_ = kOnBar + kPad + number + kPad + left + kPad + right + kPad;
    QFont bold = font();
    bold.setBold(true);
    headerWidth_ = kPad + std::max(fm.horizontalAdvance("Module 7"), QFontMetrics(bold).horizontalAdvance("INTERLOCK")) + kPad;
    rowHeight_ = 2 * fm.lineSpacing() + kPad;
}

QSize CellsView::sizeHint() const
{
    return {headerWidth_ + kPerPosition * cellWidth_ + 1, kPositions * rowHeight_ + 1};
}

QRect CellsView::positionRect(int k) const { return {0, (k - 1) * rowHeight_, headerWidth_ + 1, rowHeight_ + 1}; }

QRect CellsView::cellRect(int n) const
{
    // Cells share the room the view is given, no narrower than they need.
    const int width = std::max(cellWidth_, (this->width() - headerWidth_ - 1) / kPerPosition);
    const int k = (n - 1) / kPerPosition, j = (n - 1) % kPerPosition;
    return {headerWidth_ + j * width, k * rowHeight_, width + 1, rowHeight_ + 1};
}

void CellsView::paintEvent(QPaintEvent *event)
{
    // What is painted here is what refresh() compares with: a paint the
    // event loop makes (the first, an expose) counts as much as its own.
    // A cell paints the border it shares with its neighbours: they are
    // painted only when more of them than that border is asked for.
    QPainter p(this);
    const QRegion asked = event->region();
    for (int k = 1; k <= kPositions; ++k)
        if (asked.intersects(positionRect(k).adjusted(1, 1, -1, -1)))
            paintPosition(p, k, paintedRows_[k] = position(k));
    for (int n = 1; n <= kChannels; ++n)
        if (asked.intersects(cellRect(n).adjusted(1, 1, -1, -1)))
            paintCell(p, n, painted_[n] = cell(n));
}

void CellsView::paintPosition(QPainter &p, int k, const Position &now) const
{
    const QRect r = positionRect(k).adjusted(0, 0, -1, -1);
    const bool active = now.found && now.interlockActive;
    p.fillRect(r, active ? kInterlockGround : palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(r);
    const int line = fontMetrics().lineSpacing();
    p.setPen(palette().color(QPalette::ButtonText));
    const QRect text = r.adjusted(kPad, kPad / 2, -kPad, 0);
    p.drawText(text.adjusted(0, 0, 0, -line), Qt::AlignLeft | Qt::AlignTop, QString("Module %1").arg(k));
    QFont bold = font();
    bold.setBold(active);
    p.setFont(bold);
    const QString state = !now.found ? "no card" : active ? "INTERLOCK" : now.interlock;
    p.drawText(text.adjusted(0, line, 0, 0), Qt::AlignLeft | Qt::AlignTop, state);
    p.setFont(font());
}

void CellsView::paintCell(QPainter &p, int n, const Cell &c) const
{
    const QRect r = cellRect(n).adjusted(0, 0, -1, -1);
    const QPalette &pal = palette();
    p.fillRect(r, !c.read.cardFound ? pal.color(QPalette::Window) : c.on ? kOnGround : pal.color(QPalette::Base));
    if (c.on)
        p.fillRect(QRect(r.left(), r.top(), kOnBar, r.height()), QColor(kOutputOnColour));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(r);
    if (hasFocus() && n == current_) {
        p.setPen(QPen(pal.color(QPalette::Highlight), 2));
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }

    const QFontMetrics fm = fontMetrics();
    const int line = fm.lineSpacing();
    const QRect inner = r.adjusted(kOnBar + kPad, kPad / 2, -kPad, 0);
    const QRect top(inner.left(), inner.top(), inner.width(), line);
    const QRect bottom = top.translated(0, line);
    const int numberWidth = fm.horizontalAdvance("42") + kPad;
    const QColor text = pal.color(QPalette::Text);
    const QColor dimmed = pal.color(QPalette::Disabled, QPalette::Text);

    p.setPen(pal.color(QPalette::PlaceholderText));
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, QString::number(n));
    const QRect values = top.adjusted(numberWidth, 0, 0, 0);
    p.setPen(c.voltsDimmed ? dimmed : text);
    p.drawText(values, Qt::AlignLeft | Qt::AlignVCenter, volts(c.volts, 3));
    p.setPen(c.milliampsDimmed ? dimmed : text);
    p.drawText(values, Qt::AlignRight | Qt::AlignVCenter, QString::number(c.milliamps));

    const QRect readBacks = bottom.adjusted(numberWidth, 0, 0, 0);
    if (!c.read.cardFound) {
        p.setPen(dimmed);
        p.drawText(readBacks, Qt::AlignLeft | Qt::AlignVCenter, "no card");
        return;
    }
    const auto readBack = [&](const std::optional<double> &value, int decimals, bool differs, Qt::Alignment side,
                              const QString &none) {
        QFont f = font();
        f.setBold(differs);
        p.setFont(f);
        p.setPen(differs ? kDiffers : value ? text : dimmed);
        const QString shown = value ? (differs ? QString::fromUtf8("\u2260") : QString()) + volts(*value, decimals) : none;
        p.drawText(readBacks, side | Qt::AlignVCenter, shown);
    };
    readBack(c.read.volts, 4, c.voltsDiffer(), Qt::AlignLeft, "not read");
    readBack(c.read.milliamps, 0, c.milliampsDiffer(), Qt::AlignRight, QString::fromUtf8("\u2013"));
    p.setFont(font());
}

void CellsView::setCurrent(int channel)
{
    const int previous = current_;
    current_ = std::clamp(channel, 1, kChannels);
    update(cellRect(previous));
    update(cellRect(current_));
    if (hasFocus())
        CellsAccessible::announce(this, current_, QAccessible::Focus);
}

void CellsView::mousePressEvent(QMouseEvent *event)
{
    for (int n = 1; n <= kChannels; ++n) {
        if (cellRect(n).adjusted(0, 0, -1, -1).contains(event->position().toPoint())) {
            setCurrent(n);
            if (onActivated)
                onActivated(n);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void CellsView::keyPressEvent(QKeyEvent *event)
{
    const int k = (current_ - 1) / kPerPosition, j = (current_ - 1) % kPerPosition;
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrent(current_ - (j > 0 ? 1 : 0));
        break;
    case Qt::Key_Right:
        setCurrent(current_ + (j < kPerPosition - 1 ? 1 : 0));
        break;
    case Qt::Key_Up:
        setCurrent(current_ - (k > 0 ? kPerPosition : 0));
        break;
    case Qt::Key_Down:
        setCurrent(current_ + (k < kPositions - 1 ? kPerPosition : 0));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (onActivated)
            onActivated(current_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CellsView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(cellRect(current_));
}

void CellsView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update(cellRect(current_));
}

} // namespace panel
