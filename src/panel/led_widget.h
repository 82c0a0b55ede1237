// A round indicator lamp with a label beside it.
#pragma once

#include <QColor>
#include <QWidget>

namespace panel {

class LedWidget : public QWidget {
public:
    LedWidget(const QString &label, QColor on, QColor off, QWidget *parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QRect lampArea() const;

    QString label_;
    QColor onColor_, offColor_;
    bool on_ = false;
};

} // namespace panel
