#include "app/command_line.h"

#include "app/startup.h"
#include "app/state_file_name.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStringDecoder>
#include <QStringList>

namespace {

const int kUsageError = 2;

const char kDescription[] =
    "Soft front panel for up to seven battery-simulator cards of six channels each.\n"
    "\n"
    "ADDRESS, when given, is the IP address of the LAN chassis to use: it selects\n"
    "the LAN chassis and its own panel state file, Tavrin_ADDRESS.state, in the\n"
    "working directory. Without it the panel recalls Tavrin.state and uses the\n"
    "chassis chosen on the panel.\n"
    "\n"
    "Every line of the message box is also recorded with its time, in a file of\n"
    "the address and the day in $XDG_STATE_HOME/tavr (by default\n"
    "~/.local/state/tavr); the status line names the file.";

CommandLine finish(int status, const QString &output)
{
    CommandLine result;
    result.exit = true;
    result.status = status;
    result.output = output.toStdString();
    return result;
}

} // namespace

std::string defaultRecordFolder()
{
    // Qt has no state location of its own: the XDG rule, where a relative
    // path counts as unset.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(".local/state");
    return QDir::cleanPath(QDir(state).filePath("tavr")).toStdString();
}

CommandLine parseCommandLine(int argc, char **argv)
{
    // Bytes that are not UTF-8 would each become U+FFFD, and different
    // addresses would then share one state file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        arguments << utf8(QByteArrayView(argv[i]));
        if (utf8.hasError() && i > 0)
            return finish(kUsageError, "tavr: an argument is not valid UTF-8 text\nTry 'tavr --help'.\n");
    }

    QCoreApplication::setApplicationName("tavr");
    QCoreApplication::setApplicationVersion(TAVR_VERSION);
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
    const QCommandLineOption recordDir("record-dir",
                                       "Write the record of the message box into DIR instead of "
                                       "$XDG_STATE_HOME/tavr.",
                                       "DIR");
    const QCommandLineOption noRecord("no-record", "Keep no record of the message box.");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(recordDir);
    parser.addOption(noRecord);
    parser.addPositionalArgument("ADDRESS", "IP address of the LAN chassis (optional).", "[ADDRESS]");

    if (!parser.parse(arguments))
        return finish(kUsageError, "tavr: " + parser.errorText() + "\nTry 'tavr --help'.\n");
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf('\n'), "Usage: tavr [options] [ADDRESS]"); // the program's name, however started
        return finish(0, text);
    }
    if (parser.isSet(version)) {
#if TAVR_SIMULATED_CHASSIS
        const QString driver = "simulated chassis (no hardware)";
#else
        const QString driver = "card maker's driver library";
#endif
        const QString panelText = QString(kVersionText).replace('\n', ", ");
        return finish(0, QString("tavr %1\npanel: %2\ndriver: %3\n").arg(TAVR_VERSION, panelText, driver));
    }

    CommandLine result;
    if (parser.isSet(recordDir) && parser.isSet(noRecord))
        return finish(kUsageError, "tavr: --record-dir and --no-record exclude each other\nTry 'tavr --help'.\n");
    if (parser.isSet(recordDir) && parser.value(recordDir).isEmpty())
        return finish(kUsageError, "tavr: --record-dir needs a folder\nTry 'tavr --help'.\n");
    if (parser.isSet(recordDir))
        result.recordFolder = QDir::cleanPath(QDir::current().absoluteFilePath(parser.value(recordDir))).toStdString();
    else if (!parser.isSet(noRecord))
        result.recordFolder = defaultRecordFolder();
    result.text = parser.positionalArguments().join(' ').toStdString();
    if (const auto problem = commandLineProblem(result.text))
        return finish(kUsageError, QString("tavr: %1\nTry 'tavr --help'.\n").arg(QString::fromStdString(*problem)));
    return result;
}
