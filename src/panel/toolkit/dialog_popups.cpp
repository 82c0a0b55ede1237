#include "panel/toolkit/dialog_popups.h"

#include "panel/toolkit/toolkit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace panel {

namespace {

QString qt(const std::string &s) { return QString::fromStdString(s); }

// A button whose text is bold while it has the keyboard focus, that is while
// Space would press it. Some styles (Fusion) draw the focus and the default
// button alike; the bold text tells the two apart in every style.
class FocusMarkedButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void focusInEvent(QFocusEvent *e) override
    {
        QPushButton::focusInEvent(e);
        markFocus(true);
    }
    void focusOutEvent(QFocusEvent *e) override
    {
        QPushButton::focusOutEvent(e);
        markFocus(false);
    }

private:
    void markFocus(bool focused)
    {
        QFont f = font();
        f.setBold(focused);
        setFont(f);
    }
};

// The yes/no confirmation, with a warning icon: focus on "yes" when it
// opens, yet Enter answers "no" (the default button), so that a hurried
// Enter never confirms. Escape and the close box cancel.
class ConfirmDialog : public QDialog {
public:
    ConfirmDialog(const QString &title, const QString &text, QWidget *parent) : QDialog(parent)
    {
        setWindowTitle(title);
        setModal(true);
        auto *layout = new QVBoxLayout(this);
        auto *message = new QHBoxLayout;
        auto *icon = new QLabel;
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(size, size));
        icon->setAlignment(Qt::AlignTop);
        message->addWidget(icon);
        auto *label = new QLabel(text);
        label->setTextFormat(Qt::PlainText);
        message->addWidget(label, 1);
        layout->addLayout(message);
        auto *buttons = new QDialogButtonBox;
        yes_ = new FocusMarkedButton("yes");
        no_ = new FocusMarkedButton("no");
        buttons->addButton(yes_, QDialogButtonBox::ActionRole);
        buttons->addButton(no_, QDialogButtonBox::ActionRole);
        // "no" is drawn as the default button, since Enter answers it.
        for (QPushButton *b : {yes_, no_})
            b->setAutoDefault(false);
        no_->setDefault(true);
        connect(yes_, &QPushButton::clicked, this, [this] { done(1); });
        connect(no_, &QPushButton::clicked, this, [this] { done(2); });
        layout->addWidget(buttons);
        yes_->setFocus();
    }

protected:
    // Styles draw their focus frame only in a window whose focus the keyboard
    // moved, and showing a window forgets that. Here the keyboard acts on the
    // focus from the start (Space answers "yes"), so the frame must show.
    void showEvent(QShowEvent *e) override
    {
        QDialog::showEvent(e);
        setAttribute(Qt::WA_KeyboardFocusChange);
    }

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

// Keeps a dialog on the list of open ones while it waits for the operator.
class OpenDialog {
public:
    OpenDialog(std::vector<QDialog *> &open, QDialog *dialog) : open_(open) { open_.push_back(dialog); }
    ~OpenDialog() { open_.pop_back(); }
    OpenDialog(const OpenDialog &) = delete;
    OpenDialog &operator=(const OpenDialog &) = delete;

private:
    std::vector<QDialog *> &open_;
};

} // namespace

void DialogPopups::message(const std::string &title, const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, qt(title), qt(text), QMessageBox::Ok, Toolkit::instance().popupParent());
    box.setTextFormat(Qt::PlainText);
    const OpenDialog waiting(open_, &box);
    box.exec();
}

int DialogPopups::confirm(const std::string &title, const std::string &text)
{
    ConfirmDialog dialog(qt(title), qt(text), Toolkit::instance().popupParent());
    const OpenDialog waiting(open_, &dialog);
    const int answer = dialog.exec();
    return answer == 1 || answer == 2 ? answer : 0;
}

std::string DialogPopups::openFile(const std::string &title, const std::string &filter)
{
    return chooseFile(title, {}, filter, false);
}

std::string DialogPopups::saveFile(const std::string &title, const std::string &suggestedName, const std::string &filter)
{
    return chooseFile(title, suggestedName, filter, true);
}

std::string DialogPopups::chooseFile(const std::string &title, const std::string &suggestedName,
                                     const std::string &filter, bool save)
{
    if (directory_.isEmpty())
        directory_ = QDir::currentPath();
    QFileDialog dialog(Toolkit::instance().popupParent(), qt(title), directory_, qt(filter));
    // Qt's own dialog: one of the desktop's may live in another process,
    // which closeOpen() could not close for certain.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QFileInfo(qt(suggestedName)).suffix());
        dialog.selectFile(qt(suggestedName));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    const OpenDialog waiting(open_, &dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    directory_ = QFileInfo(chosen).absolutePath();
    return chosen.toStdString();
}

void DialogPopups::closeOpen()
{
    // Rejected is 0: a confirmation closed this way is cancelled, a file
    // dialog chooses no file. A question a dialog asks in turn (replace the
    // file?) goes first, so that nothing waits on it.
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        for (QDialog *asked : (*it)->findChildren<QDialog *>())
            if (asked->isVisible())
                asked->reject();
        (*it)->reject();
    }
}

} // namespace panel
