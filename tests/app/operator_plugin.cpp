// An operator at the keyboard of the real program, for the end-to-end tests:
// a Qt input plugin that the program loads when told to
// (QT_QPA_GENERIC_PLUGINS=tavr-operator, with QT_PLUGIN_PATH naming where it
// is). It reads commands from the program's standard input, one a line:
//   menu NAME   opens the context menu of the widget whose accessible name is
//               NAME, as the Menu key does
//   choose TEXT chooses the entry TEXT of the open menu, as Enter does
// and writes on standard output what it sees open: "menu open" once a menu is,
// "dialog open" once a modal dialog is; "no such NAME" when it finds nothing.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QMenu>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

class Operator : public QObject {
public:
    Operator() : input_(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&input_, &QSocketNotifier::activated, this, &Operator::readCommands);
        connect(&look_, &QTimer::timeout, this, &Operator::reportWhatIsOpen);
        look_.start(20);
    }

private:
    void readCommands()
    {
        char bytes[256];
        const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (n <= 0) {
            input_.setEnabled(false); // the test closed its end
            return;
        }
        pending_.append(bytes, n);
        for (qsizetype end; (end = pending_.indexOf('\n')) >= 0; pending_.remove(0, end + 1))
            run(QString::fromUtf8(pending_.left(end)));
    }

    // Events are posted, not sent: a menu or dialog runs its own event loop,
    // which must not run inside this notifier's handler.
    void run(const QString &command)
    {
        const QString argument = command.section(' ', 1);
        if (command.startsWith("menu ")) {
            for (QWidget *w : QApplication::allWidgets()) {
                if (w->accessibleName() == argument && w->isVisible()) {
                    const QPoint at = w->rect().center();
                    QCoreApplication::postEvent(w, new QContextMenuEvent(QContextMenuEvent::Keyboard, at, w->mapToGlobal(at)));
                    return;
                }
            }
        } else if (command.startsWith("choose ")) {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *action : menu->actions()) {
                    if (action->text() == argument) {
                        menu->setActiveAction(action);
                        QCoreApplication::postEvent(menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
                        return;
                    }
                }
            }
        }
        say("no such " + argument);
    }

    void reportWhatIsOpen()
    {
        const bool menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr;
        const bool dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()) != nullptr;
        if (menu && !menuSeen_)
            say("menu open");
        if (dialog && !dialogSeen_)
            say("dialog open");
        menuSeen_ = menu;
        dialogSeen_ = dialog;
    }

    QSocketNotifier input_;
    QTimer look_;
    QByteArray pending_;
    bool menuSeen_ = false;
    bool dialogSeen_ = false;
};

} // namespace

class OperatorPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "operator_plugin.json")

public:
    QObject *create(const QString &, const QString &) override { return new Operator; }
};

#include "operator_plugin.moc"
