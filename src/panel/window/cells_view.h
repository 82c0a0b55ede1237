// All 42 channels at a glance: a row per card position (its interlock, or
// that no card was found), a cell per channel with its voltage and sink
// setpoints, what the card last read back for them, whether its output is on
// and whether a setpoint is dimmed (not in force). A read-back that differs
// from its setpoint by more than the setpoint's resolution is marked.
//
// It keeps nothing of its own: it reads the controls and, through the
// readings source, what the logic knows, whenever it paints; it compares
// with what it last painted only to repaint just the cells that changed.
// Clicking a cell, or Enter on it, asks for its channel's voltage field.
#pragma once

#include "panel/api/ui.h"
#include "panel/controls/control.h"

#include <QWidget>
#include <array>
#include <functional>

namespace panel {

class CellsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPositions = 7;
    static constexpr int kPerPosition = 6;
    static constexpr int kChannels = kPositions * kPerPosition;

    using Lookup = std::function<Control *(const QString &constant)>;
    explicit CellsView(Lookup lookup, QWidget *parent = nullptr);

    void setReadings(std::function<ui::ChannelReadings(int channel)> source);
    // Repaints the cells whose shown values changed since they were painted.
    void refresh();
    // The operator's choice of channel n, by a click or Enter.
    std::function<void(int channel)> onActivated;

    // What a cell and a position's row say, in words: as assistive
    // technology hears them ("Channel 17: 3.300 V set, ...").
    QString channelWords(int channel) const;
    QString positionWords(int position) const;
    QRect cellRect(int channel) const;
    QRect positionRect(int position) const;
    int currentChannel() const { return current_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // One channel as shown, read where it is kept.
    struct Cell {
        double volts = 0.0;
        int milliamps = 0;
        bool on = false;
        bool voltsDimmed = false;
        bool milliampsDimmed = false;
        ui::ChannelReadings read;
        bool voltsDiffer() const;
        bool milliampsDiffer() const;
        bool operator==(const Cell &) const = default;
    };
    struct Position {
        bool found = false;
        bool interlockActive = false; // the lamp kept dark
        QString interlock;            // the lamp's words
        bool operator==(const Position &) const = default;
    };
    Cell cell(int channel) const;
    Position position(int k) const;
    void paintCell(QPainter &p, int channel, const Cell &shown) const;
    void paintPosition(QPainter &p, int k, const Position &shown) const;
    void setCurrent(int channel);
    void measure();

    struct ChannelControls {
        Control *volts = nullptr, *milliamps = nullptr, *enable = nullptr;
    };
    std::array<ChannelControls, kChannels + 1> controls_{}; // by channel
    std::array<Control *, kPositions + 1> lamps_{};         // interlock lamps, by position
    std::function<ui::ChannelReadings(int)> readings_;
    std::array<Cell, kChannels + 1> painted_{};        // as last painted, by channel
    std::array<Position, kPositions + 1> paintedRows_{}; // by position
    int current_ = 1;
    int headerWidth_ = 0;
    int cellWidth_ = 0;
    int rowHeight_ = 0;
};

} // namespace panel
