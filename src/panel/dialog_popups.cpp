#include "panel/dialog_popups.h"

#include "panel/toolkit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace panel {

namespace {

QString qt(const std::string &s) { return QString::fromStdString(s); }

// The yes/no confirmation: focus on "yes" when it opens, yet Enter answers
// "no", so that a hurried Enter never confirms. Escape and the close box
// cancel.
class ConfirmDialog : public QDialog {
public:
    ConfirmDialog(const QString &title, const QString &text, QWidget *parent) : QDialog(parent)
    {
        setWindowTitle(title);
        setModal(true);
        auto *layout = new QVBoxLayout(this);
        auto *label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
        auto *buttons = new QDialogButtonBox;
        yes_ = buttons->addButton("yes", QDialogButtonBox::ActionRole);
        no_ = buttons->addButton("no", QDialogButtonBox::ActionRole);
        for (QPushButton *b : {yes_, no_}) {
            b->setAutoDefault(false);
            b->setDefault(false);
        }
        connect(yes_, &QPushButton::clicked, this, [this] { done(1); });
        connect(no_, &QPushButton::clicked, this, [this] { done(2); });
        layout->addWidget(buttons);
        yes_->setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            done(2);
            return;
        }
        QDialog::keyPressEvent(e); // Escape rejects: 0
    }

private:
    QPushButton *yes_ = nullptr;
    QPushButton *no_ = nullptr;
};

} // namespace

void DialogPopups::message(const std::string &title, const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, qt(title), qt(text), QMessageBox::Ok, Toolkit::instance().popupParent());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int DialogPopups::confirm(const std::string &title, const std::string &text)
{
    ConfirmDialog dialog(qt(title), qt(text), Toolkit::instance().popupParent());
    const int answer = dialog.exec();
    return answer == 1 || answer == 2 ? answer : 0;
}

} // namespace panel
