// The real program, run as a process on the offscreen platform with the
// simulated chassis: ended by a signal, started without its panel
// definition, and given command lines it must refuse; and on a real display
// server that goes away under it.
#include "support/record_lines.h"
#include "support/scenario.h"
#include "support/scratch_disk.h"
#include "support/state_file.h"
#include "support/trace_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QFileInfo>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

using scenario::savedValues;

namespace {

// Generous: the sanitizer build starts slowly on a shared machine.
const int kTimeoutMs = 60000;
// Quit itself, once a signal has come, takes well under a second.
const int kPromptlyMs = 10000;

QString programPath() { return QDir(QCoreApplication::applicationDirPath()).filePath("tavr"); }

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<QJsonObject> readTrace(const QString &path)
{
    std::vector<QJsonObject> calls;
    for (const QByteArray &line : readFile(path).split('\n'))
        if (!line.isEmpty())
            calls.push_back(QJsonDocument::fromJson(line).object());
    return calls;
}

int count(const std::vector<QJsonObject> &trace, const QString &call)
{
    int n = 0;
    for (const QJsonObject &c : trace)
        n += c.value("call").toString() == call;
    return n;
}

// Waits until `ready` holds for the trace, or the time is up.
bool waitForTrace(const QString &path, const std::function<bool(const std::vector<QJsonObject> &)> &ready)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kTimeoutMs) {
        if (ready(readTrace(path)))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// The quit of cards at positions 1 and 3, as the trace shows it: every
// sub-unit gets 0 A and output off before its card is closed, card 1 before
// card 3, no voltage is sent and every call succeeds.
// A scratch working folder with a scenario of cards 1 and 3, and the trace
// file the program is to write there.
struct CardsOneAndThree {
    CardsOneAndThree() { writeFile(scenario, QByteArray::fromStdString(::scenario::Chassis::at({1, 3}).json())); }
    QTemporaryDir dir;
    const QString scenario = dir.filePath("scenario.json");
    const QString trace = dir.filePath("trace.jsonl");
};

void expectCardsOneAndThreeLeftSafe(const QString &trace)
{
    const std::vector<QJsonObject> calls = readTrace(trace);
    std::map<int, int> positionOfCard; // from the slot: position k sits in slot k + 1
    std::map<int, std::size_t> closedAt;
    std::map<std::pair<int, int>, std::size_t> sinkZeroAt, offAt;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const QJsonObject &c = calls[i];
        const QString name = c.value("call").toString();
        const int card = c.value("card").toInt();
        const std::pair<int, int> sub{card, c.value("sub").toInt()};
        EXPECT_NE(name, "KORDA_BattSetVoltage") << "no voltage is sent";
        if (name == "KORDA_OpenSpecifiedCard")
            positionOfCard[c.value("out").toObject().value("card").toInt()] = c.value("slot").toInt() - 1;
        else if (name == "KORDA_BattSetCurrent" && c.value("amps").toDouble() == 0.0)
            sinkZeroAt[sub] = i;
        else if (name == "KORDA_BattSetEnable" && c.value("state").toInt() == 0)
            offAt[sub] = i;
        else if (name == "KORDA_CloseSpecifiedCard")
            closedAt[card] = i;
        EXPECT_EQ(c.value("status").toInt(), 0) << name.toStdString();
    }
    ASSERT_EQ(positionOfCard.size(), 2u);
    ASSERT_EQ(closedAt.size(), 2u);
    std::map<int, int> cardAt; // position to card
    for (const auto &[card, k] : positionOfCard)
        cardAt[k] = card;
    EXPECT_LT(closedAt[cardAt[1]], closedAt[cardAt[3]]) << "card 1 before card 3";
    for (const int k : {1, 3})
        for (int s = 1; s <= 6; ++s) {
            const std::pair<int, int> sub{cardAt[k], s};
            SCOPED_TRACE("position " + std::to_string(k) + " sub-unit " + std::to_string(s));
            ASSERT_TRUE(sinkZeroAt.count(sub));
            ASSERT_TRUE(offAt.count(sub));
            EXPECT_LT(sinkZeroAt[sub], offAt[sub]);
            EXPECT_LT(offAt[sub], closedAt[cardAt[k]]);
        }
}

class Program {
public:
    explicit Program(const QString &workingDirectory, const QStringList &environment = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("KORDA_SIM_SCENARIO");
        env.remove("KORDA_SIM_TRACE");
        // The record goes beside the run, not into the tester's own state folder.
        env.insert("XDG_STATE_HOME", QDir(workingDirectory).filePath("state"));
        for (const QString &assignment : environment)
            env.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workingDirectory);
        // As from a shell: Qt ignores SIGPIPE in this process, and the child
        // would inherit that.
        process.setChildProcessModifier([] { ::signal(SIGPIPE, SIG_DFL); });
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // Runs to its end; false when it did not end in time.
    bool run(const QString &program, const QStringList &arguments)
    {
        process.start(program, arguments);
        return process.waitForStarted(kTimeoutMs) && process.waitForFinished(kTimeoutMs);
    }

    QProcess process;
};

} // namespace

// Ended by a signal with nobody at the panel: every sub-unit of both cards
// gets 0 A and output off before its card is closed, card 1 before card 3,
// no voltage is sent, the state file holds the setpoints, the result is 0.
TEST(EndToEnd, ASignalLeavesEveryCardSafeAndSavesTheState)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGXCPU, SIGXFSZ,
                             SIGPWR}) {
        SCOPED_TRACE(strsignal(signal));
        const CardsOneAndThree run;
        QJsonObject values = ::scenario::idleVoltages({1, 3});
        values.insert("STARTUP_MSG", 1);
        values.insert("CURRENT_SINK_CH_2", 40);
        values.insert("CURRENT_SINK_CH_16", 75);
        values.insert("VOLTAGE_CH_7", 5.0);
        writeFile(run.dir.filePath("Tavrin.state"), ::scenario::stateFile(values));

        Program tavr(run.dir.path(), {"KORDA_SIM_SCENARIO=" + run.scenario, "KORDA_SIM_TRACE=" + run.trace});
        tavr.process.start(programPath(), {});
        ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
        // The first poll tick shows the event loop running.
        ASSERT_TRUE(waitForTrace(run.trace, [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; }));
        ::kill(static_cast<pid_t>(tavr.process.processId()), signal);
        ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));
        EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavr.process.exitCode(), 0) << tavr.process.readAllStandardError().toStdString();

        expectCardsOneAndThreeLeftSafe(run.trace);

        const QJsonObject saved = savedValues(readFile(run.dir.filePath("Tavrin.state")));
        EXPECT_EQ(saved.value("CURRENT_SINK_CH_2").toInt(), 40);
        EXPECT_EQ(saved.value("CURRENT_SINK_CH_16").toInt(), 75);
        EXPECT_EQ(saved.value("VOLTAGE_CH_7").toDouble(), 5.0);
        EXPECT_EQ(saved.value("ENABLE_2").toInt(), 0);
        EXPECT_EQ(saved.value("STARTUP_MSG").toInt(), 1);
        EXPECT_EQ(saved.value("MSGBOX").toString(), "");
    }
}

// An operator opened a menu or a dialog and went away. Each runs an event
// loop of its own, out of which the program cannot end; a signal closes it,
// so the program ends promptly all the same, with the outputs off. The
// operator is a Qt input plugin loaded into the real program.
TEST(EndToEnd, ASignalEndsTheProgramPromptlyWhileAMenuOrDialogIsOpen)
{
    struct Case {
        const char *name;
        QStringList commands; // to the operator, each waiting for what it opens
        const char *opened;
    };
    const Case cases[] = {
        {"the message box's context menu", {"menu Messages"}, "menu open"},
        {"its Save As dialog", {"menu Messages", "choose Save As..."}, "dialog open"},
        {"a voltage field's context menu", {"menu Channel 2 voltage (V)"}, "menu open"},
        {"a text field's context menu", {"menu Module 3 serial number"}, "menu open"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const CardsOneAndThree run;
        QJsonObject values = ::scenario::idleVoltages({1, 3});
        values.insert("STARTUP_MSG", 1);
        writeFile(run.dir.filePath("Tavrin.state"), ::scenario::stateFile(values));
        Program tavr(run.dir.path(), {"KORDA_SIM_SCENARIO=" + run.scenario, "KORDA_SIM_TRACE=" + run.trace,
                                  "QT_PLUGIN_PATH=" TAVR_TEST_PLUGIN_PATH, "QT_QPA_GENERIC_PLUGINS=tavr-operator"});
        tavr.process.start(programPath(), {});
        ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
        ASSERT_TRUE(waitForTrace(run.trace, [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; }));
        QByteArray seen;
        for (const QString &command : c.commands) {
            tavr.process.write((command + '\n').toUtf8());
            const QByteArray expected = command.startsWith("menu") ? "menu open\n" : "dialog open\n";
            while (!seen.contains(expected) && tavr.process.waitForReadyRead(kTimeoutMs))
                seen += tavr.process.readAllStandardOutput();
            ASSERT_TRUE(seen.contains(expected)) << command.toStdString() << ": " << seen.toStdString();
        }
        ASSERT_TRUE(seen.contains(c.opened));

        ::kill(static_cast<pid_t>(tavr.process.processId()), SIGTERM);
        ASSERT_TRUE(tavr.process.waitForFinished(kPromptlyMs)) << "held by what nobody closes";
        EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavr.process.exitCode(), 0) << tavr.process.readAllStandardError().toStdString();
        expectCardsOneAndThreeLeftSafe(run.trace);
    }
}

// Ended by a signal, with a working folder that took away the save (deleted
// while the panel ran; full): the cards are safe all the same, standard
// error names the file and the reason, the status is 4, and a full disk
// leaves the old file whole and no temporary file.
TEST(EndToEnd, ASaveThatFailsAfterASignalIsToldAndEndsWithFour)
{
    struct Case {
        const char *what;
        bool fullDisk; // else the folder is deleted
        const char *reason;
    };
    const Case cases[] = {{"the working folder deleted", false, "No such file or directory"},
                          {"a full disk", true, "No space left on device"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ScratchDisk disk;
        if (c.fullDisk && !disk.mounted())
            GTEST_SKIP() << disk.whyNot();
        const QString work = c.fullDisk ? disk.path() : dir.filePath("work");
        ASSERT_TRUE(QDir().mkpath(work));
        const QString scenario = dir.filePath("scenario.json");
        const QString trace = dir.filePath("trace.jsonl");
        writeFile(scenario, QByteArray::fromStdString(::scenario::Chassis::at({1}).json()));
        const QByteArray old = ::scenario::stateFile({{"STARTUP_MSG", 1}, {"CURRENT_SINK_CH_3", 7}});
        writeFile(QDir(work).filePath("Tavrin.state"), old);

        Program tavr(work, {"KORDA_SIM_SCENARIO=" + scenario, "KORDA_SIM_TRACE=" + trace});
        tavr.process.start(programPath(), {});
        ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
        ASSERT_TRUE(waitForTrace(trace, [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; }));
        if (c.fullDisk)
            disk.fill();
        else
            ASSERT_TRUE(QDir(work).removeRecursively());
        tavr.process.terminate();
        ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));
        EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavr.process.exitCode(), 4);
        const QString errors = QString::fromLocal8Bit(tavr.process.readAllStandardError());
        EXPECT_TRUE(errors.contains("Settings not saved")) << errors.toStdString();
        EXPECT_TRUE(errors.contains("Tavrin.state: " + QString(c.reason))) << errors.toStdString();
        EXPECT_EQ(count(readTrace(trace), "KORDA_CloseSpecifiedCard"), 1);
        if (c.fullDisk) {
            EXPECT_EQ(readFile(disk.filePath("Tavrin.state")), old);
            EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
                      QStringList{})
                << "no temporary file left";
        }
    }
}

// Two panels on one address in one folder: the second names the first's
// process and, its popup closed by a signal, ends with 5 having touched no
// card and no file. The lock of a killed panel is taken over by the next.
TEST(EndToEnd, ASecondPanelOnTheSameAddressEndsAndTouchesNothing)
{
    QTemporaryDir dir;
    const QString work = dir.filePath("work");
    ASSERT_TRUE(QDir().mkpath(work));
    const QString scenario = dir.filePath("scenario.json");
    writeFile(scenario, QByteArray::fromStdString(::scenario::Chassis::at({1}).json()));
    const QString state = QDir(work).filePath("Tavrin.state");
    writeFile(state, ::scenario::stateFile({{"STARTUP_MSG", 1}, {"CURRENT_SINK_CH_3", 7}}));
    const auto environment = [&](const char *trace) {
        return QStringList{"KORDA_SIM_SCENARIO=" + scenario, "KORDA_SIM_TRACE=" + dir.filePath(trace)};
    };
    const auto pollsIn = [&](const char *trace) {
        return waitForTrace(dir.filePath(trace),
                            [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; });
    };

    Program first(work, environment("first.jsonl"));
    first.process.start(programPath(), {});
    ASSERT_TRUE(first.process.waitForStarted(kTimeoutMs));
    ASSERT_TRUE(pollsIn("first.jsonl"));
    const QStringList files = QDir(work).entryList(QDir::Files | QDir::Hidden);
    const QByteArray saved = readFile(state);

    Program second(work, environment("second.jsonl"));
    second.process.start(programPath(), {});
    QByteArray errors;
    QElapsedTimer clock;
    clock.start();
    while (!errors.contains("Another panel") && clock.elapsed() < kTimeoutMs) {
        second.process.waitForReadyRead(100);
        errors += second.process.readAllStandardError();
    }
    EXPECT_TRUE(errors.contains("process " + QByteArray::number(first.process.processId()) + " (tavr)"))
        << errors.toStdString();
    second.process.terminate(); // nobody answers its popup
    ASSERT_TRUE(second.process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 5);
    EXPECT_FALSE(QFile::exists(dir.filePath("second.jsonl"))) << "no driver call";
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden), files);
    EXPECT_EQ(readFile(state), saved);

    ::kill(static_cast<pid_t>(first.process.processId()), SIGKILL);
    ASSERT_TRUE(first.process.waitForFinished(kTimeoutMs));
    Program third(work, environment("third.jsonl"));
    third.process.start(programPath(), {});
    ASSERT_TRUE(third.process.waitForStarted(kTimeoutMs));
    ASSERT_TRUE(pollsIn("third.jsonl"));
    third.process.terminate();
    ASSERT_TRUE(third.process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(third.process.exitCode(), 0) << third.process.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList{"Tavrin.state"})
        << "the lock goes with its panel";
    EXPECT_EQ(savedValues(readFile(state)).value("CURRENT_SINK_CH_3").toInt(), 7);
}

// Ctrl+C in a terminal also ends the reader of a pipe the panel's standard
// error goes to; the error reports of quit then meet a closed pipe, which must
// not end the process before the cards are safe.
TEST(EndToEnd, AClosedStandardErrorDoesNotCutQuitShort)
{
    QTemporaryDir dir;
    const QString scenario = dir.filePath("scenario.json");
    const QString trace = dir.filePath("trace.jsonl");
    writeFile(scenario, QByteArray::fromStdString(
                            ::scenario::Chassis::at({1, 3}).fault({"KORDA_CloseSpecifiedCard", 8, "300001"}).json()));
    writeFile(dir.filePath("Tavrin.state"), ::scenario::stateFile({{"STARTUP_MSG", 1}}));
    Program tavr(dir.path(), {"KORDA_SIM_SCENARIO=" + scenario, "KORDA_SIM_TRACE=" + trace});
    // Standard error goes into a pipe whose reader this test closes.
    int errors[2];
    ASSERT_EQ(::pipe2(errors, O_CLOEXEC), 0);
    tavr.process.setChildProcessModifier([writeEnd = errors[1]] {
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(writeEnd, STDERR_FILENO);
    });
    tavr.process.start(programPath(), {});
    ::close(errors[1]);
    ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
    ASSERT_TRUE(waitForTrace(trace, [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; }));
    ::close(errors[0]);
    tavr.process.terminate();
    ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tavr.process.exitCode(), 0);
    EXPECT_EQ(count(readTrace(trace), "KORDA_CloseSpecifiedCard"), 2) << "card 3 closed after card 1's error";
}

// The hint popup of the first tick is a modal dialog nobody will close: the
// signal closes it, the tick ends, and quit runs.
TEST(EndToEnd, ASignalClosesTheHintPopupThatWaitsForNobody)
{
    const CardsOneAndThree run;
    Program tavr(run.dir.path(), {"KORDA_SIM_SCENARIO=" + run.scenario, "KORDA_SIM_TRACE=" + run.trace});
    tavr.process.start(programPath(), {});
    ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
    // Discovery has read both identities twice; the first tick follows 0.4 s
    // after the loop starts and opens the popup.
    ASSERT_TRUE(waitForTrace(run.trace, [](const auto &t) { return count(t, "KORDA_CardId") == 4; }));
    QThread::msleep(1500);
    EXPECT_EQ(count(readTrace(run.trace), "KORDA_BattReadInterlockState"), 0) << "the popup holds the first tick";
    tavr.process.terminate(); // SIGTERM
    ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tavr.process.exitCode(), 0);

    const std::vector<QJsonObject> calls = readTrace(run.trace);
    EXPECT_EQ(count(calls, "KORDA_BattReadInterlockState"), 2) << "the tick ended, then no other";
    EXPECT_EQ(count(calls, "KORDA_BattSetCurrent"), 12);
    // A first start recalls nothing: every voltage shows 1.000 and is dimmed,
    // so the enable operations refuse; quit switches the outputs off itself.
    EXPECT_EQ(count(calls, "KORDA_BattSetEnable"), 12);
    for (const QJsonObject &c : calls) {
        if (c.value("call").toString() == "KORDA_BattSetEnable") {
            EXPECT_EQ(c.value("state").toInt(), 0);
        }
    }
    EXPECT_EQ(count(calls, "KORDA_CloseSpecifiedCard"), 2);
    EXPECT_EQ(count(calls, "KORDA_BattSetVoltage"), 0);
    EXPECT_FALSE(readFile(run.dir.filePath("Tavrin.state")).isEmpty());
}

// Killed, with no quit and no chance to write anything more, the panel has
// left every line of its start in the record, stamped; the record lies in
// $XDG_STATE_HOME/tavr, a folder only its owner may enter.
TEST(EndToEnd, AKilledPanelLeavesItsRecordInTheStateFolder)
{
    const CardsOneAndThree run;
    writeFile(run.dir.filePath("Tavrin.state"), ::scenario::stateFile({{"STARTUP_MSG", 1}}));
    Program tavr(run.dir.path(), {"KORDA_SIM_SCENARIO=" + run.scenario, "KORDA_SIM_TRACE=" + run.trace});
    tavr.process.start(programPath(), {});
    ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
    ASSERT_TRUE(waitForTrace(run.trace, [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; }));
    tavr.process.kill(); // SIGKILL
    ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));

    const QString folder = run.dir.filePath("state/tavr");
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0) << "readable by its owner alone";
    const QStringList records = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(records.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^tavr_\d{4}-\d{2}-\d{2}\.log$)").match(records.front()).hasMatch());
    const QString text = record_lines::unstamped(readFile(QDir(folder).filePath(records.front())));
    EXPECT_TRUE(text.startsWith(" searching cards  in LXI Chassis, IP address: 192.168.100.10\n\n"
                                "Card1 S/N 300001 found\nCard3 S/N 300003 found\n...OK!\n"))
        << text.toStdString();
}

TEST(EndToEnd, WithoutItsPanelDefinitionTheProgramEndsWithMinusOneAndShowsNothing)
{
    QTemporaryDir bin;
    QTemporaryDir work;
    const QString copy = bin.filePath("tavr");
    ASSERT_TRUE(QFile::copy(programPath(), copy));
    const QString trace = work.filePath("trace.jsonl");
    Program tavr(work.path(), {"KORDA_SIM_TRACE=" + trace});
    ASSERT_TRUE(tavr.run(copy, {}));
    EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tavr.process.exitCode(), 255);
    EXPECT_TRUE(tavr.process.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(QDir(work.path()).isEmpty()) << "no state file, no driver call";
}

TEST(EndToEnd, HelpAndVersionEndWithZero)
{
    for (const char *option : {"--help", "-h", "--version", "-v"}) {
        SCOPED_TRACE(option);
        QTemporaryDir work;
        Program tavr(work.path());
        ASSERT_TRUE(tavr.run(programPath(), {option}));
        EXPECT_EQ(tavr.process.exitCode(), 0);
        EXPECT_TRUE(tavr.process.readAllStandardOutput().contains("tavr"));
        EXPECT_TRUE(QDir(work.path()).isEmpty());
    }
}

TEST(EndToEnd, ACommandLineThatCannotNameTheStateFileIsRefused)
{
    struct Case {
        QString argument;
        const char *reason;
    };
    const Case cases[] = {
        {"a/b", "\"/\", which cannot be part of a file name"},
        {"..", "cannot be part of a file name"},
        {QString(87, '1'), "longer than 86 bytes (counted in UTF-8"},
        {"10.0.0.1\x01", "control character"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.argument.toStdString());
        QTemporaryDir work;
        Program tavr(work.path());
        ASSERT_TRUE(tavr.run(programPath(), {c.argument}));
        EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavr.process.exitCode(), 2);
        const QByteArray err = tavr.process.readAllStandardError();
        EXPECT_TRUE(err.contains(c.reason)) << err.toStdString();
        EXPECT_TRUE(tavr.process.readAllStandardOutput().isEmpty());
        EXPECT_TRUE(QDir(work.path()).isEmpty()) << "no file is written";
    }
}

// A display that is not there (unset, or left over from an SSH session) is
// named in one line and ends the program with -1, before the toolkit can abort.
TEST(EndToEnd, AnUnreachableDisplayIsNamedAndEndsWithMinusOne)
{
    struct Case {
        QStringList environment;
        const char *named;
    };
    const Case cases[] = {
        {{"QT_QPA_PLATFORM=", "DISPLAY=:79", "WAYLAND_DISPLAY="}, "\":79\""},
        {{"QT_QPA_PLATFORM=xcb", "DISPLAY=127.0.0.1:79", "WAYLAND_DISPLAY="}, "\"127.0.0.1:79\""},
        {{"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="}, "DISPLAY is not set"},
        {{"QT_QPA_PLATFORM=wayland", "WAYLAND_DISPLAY=/nonexistent/wl-79"}, "\"/nonexistent/wl-79\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.named);
        QTemporaryDir work;
        Program tavr(work.path(), c.environment);
        ASSERT_TRUE(tavr.run(programPath(), {}));
        EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavr.process.exitCode(), 255);
        const QByteArray error = tavr.process.readAllStandardError();
        EXPECT_TRUE(error.contains(c.named)) << error.toStdString();
        EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
        EXPECT_TRUE(QDir(work.path()).isEmpty());
    }
}

// The installed manual page names the places the files were installed to,
// under whatever prefix.
TEST(EndToEnd, TheInstalledManualNamesWhereTheFilesAre)
{
    QTemporaryDir prefix;
    QProcess install;
    install.start(TAVR_CMAKE_COMMAND, {"--install", TAVR_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_TRUE(install.waitForFinished(kTimeoutMs));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    QProcess unzip;
    unzip.start("gzip", {"-dc", prefix.filePath("share/man/man1/tavr.1.gz")});
    ASSERT_TRUE(unzip.waitForFinished(kTimeoutMs));
    const QByteArray page = unzip.readAllStandardOutput();
    for (const char *place : {"share/tavr/tavr.uir", "share/doc/tavr"}) {
        SCOPED_TRACE(place);
        EXPECT_TRUE(QFile::exists(prefix.filePath(place)));
        EXPECT_TRUE(page.contains(".IR " + prefix.filePath(place).toUtf8() + " .")) << page.toStdString();
    }
}

// The program installed into a scratch prefix looks for its panel definition
// next to its real file first, then in ../share/tavr from there, and nowhere
// else; a link to it elsewhere finds the same one.
TEST(EndToEnd, TheInstalledProgramFindsItsPanelDefinitionNextToItselfThenInShare)
{
    struct Case {
        const char *name;
        const char *nextToProgram; // nullptr: no file there
        const char *inShare;
        bool throughLink;
        int exitCode;
        const char *stderrNames; // a place the error line names, with {prefix}
    };
    const char *good = "good";
    const Case cases[] = {
        {"installed", nullptr, good, false, 0, nullptr},
        {"started through a link", nullptr, good, true, 0, nullptr},
        {"next to the program comes first", "{", good, false, 255, "{prefix}/bin/tavr.uir"},
        {"a broken installed definition", nullptr, "{", true, 255, "{prefix}/share/tavr/tavr.uir"},
        {"neither place", nullptr, nullptr, true, 255, "neither in {prefix}/bin nor in {prefix}/share/tavr"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir prefix, work, aside;
        QProcess install;
        install.start(TAVR_CMAKE_COMMAND, {"--install", TAVR_BINARY_DIR, "--prefix", prefix.path()});
        ASSERT_TRUE(install.waitForFinished(kTimeoutMs));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

        const QString installed = prefix.filePath("share/tavr/tavr.uir");
        const QByteArray definition = readFile(installed);
        ASSERT_FALSE(definition.isEmpty());
        QFile::remove(installed);
        const auto place = [&](const char *content, const QString &path) {
            if (content)
                writeFile(path, content == good ? definition : QByteArray(content));
        };
        place(c.nextToProgram, prefix.filePath("bin/tavr.uir"));
        place(c.inShare, installed);

        QString program = prefix.filePath("bin/tavr");
        if (c.throughLink) {
            ASSERT_TRUE(QFile::link(program, aside.filePath("tavr")));
            program = aside.filePath("tavr");
        }
        const QString scenario = aside.filePath("scenario.json");
        const QString trace = aside.filePath("trace.jsonl");
        writeFile(scenario, QByteArray::fromStdString(::scenario::Chassis::at({1}).json()));
        Program tavr(work.path(), {"KORDA_SIM_SCENARIO=" + scenario, "KORDA_SIM_TRACE=" + trace});
        tavr.process.start(program, {});
        ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
        if (c.exitCode == 0) {
            ASSERT_TRUE(waitForTrace(trace, [](const auto &t) { return count(t, "KORDA_CardId") > 0; }));
            tavr.process.terminate();
        }
        ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));
        EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavr.process.exitCode(), c.exitCode);
        const QString errors = QString::fromLocal8Bit(tavr.process.readAllStandardError());
        if (c.exitCode == 0) {
            EXPECT_TRUE(QFile::exists(work.filePath("Tavrin.state"))) << errors.toStdString();
        } else {
            const QString tavrLine = errors.split('\n').filter(QRegularExpression("^tavr: ")).join('\n');
            EXPECT_EQ(tavrLine.count('\n'), 0) << "one line: " << tavrLine.toStdString();
            EXPECT_TRUE(tavrLine.contains(QString(c.stderrNames).replace("{prefix}", prefix.path())))
                << tavrLine.toStdString();
            EXPECT_TRUE(QDir(work.path()).isEmpty()) << "nothing written";
            EXPECT_FALSE(QFile::exists(trace)) << "no driver call";
        }
    }
}

namespace {

// Starts Xvfb on a display number of its own choosing. Returns the
// environment that puts a program on it; empty when Xvfb cannot be run.
QStringList startXvfb(QProcess &server)
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty())
        return {};
    server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    QByteArray number;
    while (!number.contains('\n') && server.waitForReadyRead(kTimeoutMs))
        number += server.readAllStandardOutput();
    if (!number.contains('\n'))
        return {};
    return {"QT_QPA_PLATFORM=xcb", "DISPLAY=:" + QString::fromLatin1(number.trimmed()), "WAYLAND_DISPLAY="};
}

// Starts weston with its headless backend, its socket in `runtimeDir`; empty
// when weston or Qt's Wayland platform plugin is not installed.
QStringList startWeston(QProcess &server, const QString &runtimeDir)
{
    const QString weston = QStandardPaths::findExecutable("weston");
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
    if (weston.isEmpty() || !QFile::exists(plugin))
        return {};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtimeDir);
    server.setProcessEnvironment(env);
    server.start(weston, {"--backend=headless-backend.so", "--socket=wayland-tavr", "--idle-time=0", "--no-config"});
    if (!server.waitForStarted(kTimeoutMs))
        return {};
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(runtimeDir + "/wayland-tavr") && server.state() == QProcess::Running &&
           clock.elapsed() < kTimeoutMs)
        QThread::msleep(20);
    if (server.state() != QProcess::Running)
        return {};
    return {"QT_QPA_PLATFORM=wayland", "XDG_RUNTIME_DIR=" + runtimeDir, "WAYLAND_DISPLAY=wayland-tavr", "DISPLAY="};
}

// Seven cards, the program up on the display `server` gives; then the server
// is killed. Every card's channels get sink 0 and output off, in position
// order, and the card is closed, as the last calls; nothing else was sent.
// The setpoints are saved, one line says what happened, the status is 3.
void expectEverythingSafeOnceTheDisplayIsGone(QProcess &server, const QStringList &display, bool hintPopupOpen,
                                              const QString &lineSays)
{
    QTemporaryDir dir;
    const QString scenario = dir.filePath("scenario.json");
    const QString trace = dir.filePath("trace.jsonl");
    writeFile(scenario, QByteArray::fromStdString(::scenario::Chassis::at({1, 2, 3, 4, 5, 6, 7}).json()));
    QJsonObject values = ::scenario::idleVoltages({1, 2, 3, 4, 5, 6, 7});
    values.insert("STARTUP_MSG", hintPopupOpen ? 0 : 1);
    values.insert("CURRENT_SINK_CH_2", 40);
    values.insert("CURRENT_SINK_CH_41", 75);
    values.insert("VOLTAGE_CH_7", 5.0);
    writeFile(dir.filePath("Tavrin.state"), ::scenario::stateFile(values));

    Program tavr(dir.path(), display + QStringList{"KORDA_SIM_SCENARIO=" + scenario, "KORDA_SIM_TRACE=" + trace});
    tavr.process.start(programPath(), {});
    ASSERT_TRUE(tavr.process.waitForStarted(kTimeoutMs));
    if (hintPopupOpen) { // the first tick opens it and waits: no read comes
        ASSERT_TRUE(waitForTrace(trace, [](const auto &t) { return count(t, "KORDA_CardId") == 14; }));
        QThread::msleep(1500);
        ASSERT_EQ(count(readTrace(trace), "KORDA_BattReadInterlockState"), 0);
    } else {
        ASSERT_TRUE(waitForTrace(trace, [](const auto &t) { return count(t, "KORDA_BattReadInterlockState") > 0; }));
    }

    ::kill(static_cast<pid_t>(server.processId()), SIGKILL);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(tavr.process.waitForFinished(kTimeoutMs));
    std::cout << "from the display server's death to the program's end: " << clock.elapsed() << " ms\n";
    server.waitForFinished(kTimeoutMs);
    EXPECT_EQ(tavr.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tavr.process.exitCode(), 3);
    const QString errors = QString::fromLocal8Bit(tavr.process.readAllStandardError());
    const QStringList ours = errors.split('\n').filter(QRegularExpression("^tavr: "));
    ASSERT_EQ(ours.size(), 1) << errors.toStdString();
    EXPECT_TRUE(ours[0].contains(lineSays)) << ours[0].toStdString();
    EXPECT_TRUE(ours[0].contains("7 cards set to sink 0 with the outputs off, and closed; panel state saved to " +
                                 QDir(dir.path()).canonicalPath() + "/Tavrin.state; ending with status 3"))
        << ours[0].toStdString();

    const std::vector<QJsonObject> calls = readTrace(trace);
    std::map<int, int> cardAt; // position to card: position k sits in slot k + 1
    for (const QJsonObject &c : calls)
        if (c.value("call").toString() == "KORDA_OpenSpecifiedCard")
            cardAt[c.value("slot").toInt() - 1] = c.value("out").toObject().value("card").toInt();
    std::vector<std::string> expected;
    for (int k = 1; k <= 7; ++k) {
        const std::string card = std::to_string(cardAt[k]);
        for (int s = 1; s <= 6; ++s) {
            expected.push_back("BattSetCurrent " + card + "/" + std::to_string(s) + " 0");
            expected.push_back("BattSetEnable " + card + "/" + std::to_string(s) + " 0");
        }
        expected.push_back("CloseSpecifiedCard " + card);
    }
    const std::vector<std::string> lines = trace::lines(calls);
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(expected.size()), lines.end()),
              expected);
    EXPECT_EQ(count(calls, "KORDA_BattSetCurrent") + count(calls, "KORDA_BattSetEnable") +
                  count(calls, "KORDA_CloseSpecifiedCard"),
              static_cast<int>(expected.size()))
        << "nothing else and nothing twice";
    EXPECT_EQ(count(calls, "KORDA_BattSetVoltage"), 0);

    const QJsonObject saved = savedValues(readFile(dir.filePath("Tavrin.state")));
    EXPECT_EQ(saved.value("CURRENT_SINK_CH_2").toInt(), 40);
    EXPECT_EQ(saved.value("CURRENT_SINK_CH_41").toInt(), 75);
    EXPECT_EQ(saved.value("VOLTAGE_CH_7").toDouble(), 5.0);
    EXPECT_EQ(saved.value("ENABLE_2").toInt(), 0);
    EXPECT_EQ(saved.value("STARTUP_MSG").toInt(), hintPopupOpen ? 0 : 1);
    EXPECT_EQ(saved.value("MSGBOX").toString(), "");
}

} // namespace

// The X server dies under the panel: while the hint popup of the first tick
// waits, and, with Qt's warnings switched off (so that nothing announces the
// loss before the toolkit ends the program), while the event loop runs.
TEST(EndToEnd, TheXServerGoingAwayLeavesEveryCardSafe)
{
    struct Case {
        const char *name;
        QStringList environment;
        bool hintPopupOpen;
        const char *lineSays;
    };
    const Case cases[] = {
        {"a popup open", {}, true, "tavr: the display is gone (The X11 connection broke"},
        {"Qt's warnings off",
         {"QT_LOGGING_RULES=default.warning=false"},
         false,
         "tavr: the toolkit ended the program while the panel ran"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QProcess server;
        const QStringList display = startXvfb(server);
        if (display.isEmpty())
            GTEST_SKIP() << "Xvfb is not installed or does not start (tools/install-deps installs it): "
                            "no X server to take away from the program";
        expectEverythingSafeOnceTheDisplayIsGone(server, display + c.environment, c.hintPopupOpen, c.lineSays);
    }
}

TEST(EndToEnd, TheWaylandCompositorGoingAwayLeavesEveryCardSafe)
{
    QTemporaryDir runtimeDir; // weston's socket, private to the user as Wayland wants
    QProcess server;
    const QStringList display = startWeston(server, runtimeDir.path());
    if (display.isEmpty())
        GTEST_SKIP() << "weston or Qt's Wayland plugin is not installed, or weston does not start "
                        "(tools/install-deps installs weston and qt6-wayland): no compositor to take away";
    expectEverythingSafeOnceTheDisplayIsGone(server, display, false,
                                             "tavr: the display is gone (The Wayland connection broke");
}
