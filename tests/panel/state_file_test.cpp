// The panel state file: a save and a recall give back every value, bit for
// bit; anything that is not such a file is ignored; a failed save never
// damages the file that was there.
#include "front_panel_fixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class StateFile : public FrontPanelTest {
protected:
    QTemporaryDir dir;
    QString file(const char *name = "Tavrin.state") { return dir.filePath(name); }

    void write(const QString &path, const QByteArray &content)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // A distinct, valid value for every control that holds one.
    void setEveryValue(int p)
    {
        auto def = panel::loadPanelDefinition(uirPath(), "BSDpanel");
        for (const panel::ControlDef &c : def->controls) {
            switch (c.kind) {
            case panel::Kind::Numeric:
                if (c.numericType == panel::NumericType::Double)
                    ui::setDouble(p, c.id, 0.001 * (c.id * 29 % 7000));
                else
                    ui::setInt(p, c.id, c.maximum > 1000 ? -c.id * 1000 : c.id % 101);
                break;
            case panel::Kind::ToggleButton:
            case panel::Kind::ToggleSwitch:
            case panel::Kind::Led:
                ui::setInt(p, c.id, c.id % 2);
                break;
            case panel::Kind::TextBox:
                ui::setText(p, c.id, "line one\nline two ");
                break;
            case panel::Kind::Text:
            case panel::Kind::TextMessage:
            {
                std::string text = "v";
                text += std::to_string(c.id);
                text += " \xc3\xa4";
                ui::setText(p, c.id, text);
                break;
            }
            default:
                break;
            }
        }
    }

    std::map<int, QVariant> everyValue(int p)
    {
        std::map<int, QVariant> values;
        auto def = panel::loadPanelDefinition(uirPath(), "BSDpanel");
        for (const panel::ControlDef &c : def->controls) {
            if (c.kind == panel::Kind::Numeric && c.numericType == panel::NumericType::Double)
                values[c.id] = ui::getDouble(p, c.id);
            else if (c.kind == panel::Kind::Numeric || c.kind == panel::Kind::ToggleButton
                     || c.kind == panel::Kind::ToggleSwitch || c.kind == panel::Kind::Led)
                values[c.id] = ui::getInt(p, c.id);
            else
                values[c.id] = QString::fromStdString(ui::getText(p, c.id));
        }
        return values;
    }
};

} // namespace

TEST_F(StateFile, ARecallAfterASaveGivesBackEveryValueExactly)
{
    setEveryValue(panel);
    ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 6.999);
    ui::setDouble(panel, ctrl::VOLTAGE_CH_2, 0.001);
    ui::setDouble(panel, ctrl::VOLTAGE_CH_3, 1.05);
    const std::map<int, QVariant> saved = everyValue(panel);
    ASSERT_EQ(ui::savePanelState(panel, file().toStdString(), 0), 0);

    const int fresh = loadPanel();
    ASSERT_GT(fresh, 0);
    const std::map<int, QVariant> defaults = everyValue(fresh);
    EXPECT_NE(defaults, saved);
    EXPECT_EQ(ui::recallPanelState(fresh, file().toStdString(), 0), 0);
    const std::map<int, QVariant> recalled = everyValue(fresh);
    const auto def = panel::loadPanelDefinition(uirPath(), "BSDpanel");
    for (const auto &[id, value] : saved) {
        SCOPED_TRACE(ui::constantName(panel, id));
        const panel::ControlDef &c = *def->find(id);
        // Lamps, the message box, the identity displays and fixed texts show
        // what a run finds: they keep their defined values.
        if (c.kind == panel::Kind::Led || c.kind == panel::Kind::TextBox || c.kind == panel::Kind::TextMessage
            || (c.kind == panel::Kind::Text && !c.editable)) {
            EXPECT_EQ(recalled.at(id), defaults.at(id));
        } else if (value.typeId() == QMetaType::Double) {
            const double a = value.toDouble(), b = recalled.at(id).toDouble();
            EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << a << " != " << b;
        } else {
            EXPECT_EQ(recalled.at(id), value);
        }
    }
    EXPECT_TRUE(events.empty()) << "a recall commits nothing";
    ui::discardPanel(fresh);
}

TEST_F(StateFile, TheFileIsReadableAndKeyedByConstantName)
{
    ui::setDouble(panel, ctrl::VOLTAGE_CH_13, 4.25);
    ui::setText(panel, ctrl::strCh_5, "VBAT");
    ASSERT_EQ(ui::savePanelState(panel, file().toStdString(), 0), 0);
    const QJsonObject root = QJsonDocument::fromJson(read(file())).object();
    EXPECT_EQ(root.value("format").toString(), "tavr-panel-state");
    EXPECT_EQ(root.value("version").toInt(), 1);
    const QJsonObject values = root.value("slots").toObject().value("0").toObject();
    EXPECT_EQ(values.value("VOLTAGE_CH_13").toDouble(), 4.25);
    EXPECT_EQ(values.value("strCh_5").toString(), "VBAT");
    EXPECT_EQ(values.value("SN_7").toString(), "300007");
    // Controls without a value are not written: the pictures, the timer and
    // the three command buttons.
    EXPECT_EQ(values.size(), 235 - 6);
    for (const char *none : {"PICTURE", "PICTURE_2", "TIMER", "ENABLEALL", "RESET", "QUIT"})
        EXPECT_FALSE(values.contains(none)) << none;
    EXPECT_TRUE(read(file()).contains("\n")) << "indented, for people to read";
}

TEST_F(StateFile, AnythingButAStateFileIsIgnoredAndTheDefaultsStay)
{
    ASSERT_EQ(ui::savePanelState(panel, file("good.state").toStdString(), 0), 0);
    const QByteArray good = read(file("good.state"));
    const std::map<int, QVariant> defaults = everyValue(panel);

    const std::vector<std::pair<const char *, QByteArray>> cases = {
        {"empty", ""},
        {"truncated", good.left(good.size() / 2)},
        {"not json", "VOLTAGE_CH_1=3.0\n"},
        {"foreign json", R"({"VOLTAGE_CH_1": 3.0})"},
        {"other format", QByteArray(good).replace("tavr-panel-state", "other-state")},
        {"other version", QByteArray(good).replace("\"version\": 1", "\"version\": 2")},
        {"other panel", QByteArray(good).replace("\"BSDpanel\"", "\"OtherPanel\"")},
        {"binary", QByteArray("\x00\xff\xfe{\x01", 5)},
    };
    for (const auto &[what, content] : cases) {
        SCOPED_TRACE(what);
        ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 1.0);
        write(file(), content);
        EXPECT_LT(ui::recallPanelState(panel, file().toStdString(), 0), 0);
        EXPECT_EQ(everyValue(panel), defaults);
    }
    EXPECT_LT(ui::recallPanelState(panel, file("missing.state").toStdString(), 0), 0);
    EXPECT_LT(ui::recallPanelState(panel, file("good.state").toStdString(), 1), 0) << "no such slot";
    EXPECT_EQ(everyValue(panel), defaults);
    EXPECT_TRUE(popups.shown.empty());
}

TEST_F(StateFile, RecalledValuesAreBroughtWithinTheirControlsLimits)
{
    ASSERT_EQ(ui::savePanelState(panel, file().toStdString(), 0), 0);
    QJsonObject root = QJsonDocument::fromJson(read(file())).object();
    QJsonObject slotValues = root.value("slots").toObject();
    QJsonObject values = slotValues.value("0").toObject();
    values["VOLTAGE_CH_1"] = 9.5;
    values["VOLTAGE_CH_2"] = -1.0;
    values["CURRENT_SINK_CH_1"] = 250;
    values["CURRENT_SINK_CH_2"] = 12.5;        // not a whole number: ignored
    values["CURRENT_SINK_CH_3"] = "40";        // wrong type: ignored
    values["ENABLE_1"] = 7;                    // a switch is on or off
    values["SN_1"] = "12345678901234567890123";
    values["strCh_1"] = "a very long channel name";
    values["IPADDRESS"] = "10.20.30.40.50.60";
    values["NO_SUCH_CONTROL"] = 1;             // unknown: ignored
    values["TOP"] = 5e12;
    slotValues["0"] = values;
    root["slots"] = slotValues;
    write(file(), QJsonDocument(root).toJson());

    ASSERT_EQ(ui::recallPanelState(panel, file().toStdString(), 0), 0);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_1), 7.0);
    EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_2), 0.0);
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_1), 100);
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_2), 0);
    EXPECT_EQ(ui::getInt(panel, ctrl::CURRENT_SINK_CH_3), 0);
    EXPECT_EQ(ui::getInt(panel, ctrl::ENABLE_1), 1);
    EXPECT_EQ(ui::getText(panel, ctrl::SN_1), "1234567890123456789");
    EXPECT_EQ(ui::getText(panel, ctrl::strCh_1), "a very long cha");
    EXPECT_EQ(ui::getText(panel, ctrl::IPADDRESS), "10.20.30.40.50.");
    EXPECT_EQ(ui::getInt(panel, ctrl::TOP), 2147483647);
}

TEST_F(StateFile, AFailedSaveLeavesTheOldFileInPlace)
{
    ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 2.0);
    ASSERT_EQ(ui::savePanelState(panel, file().toStdString(), 0), 0);
    const QByteArray before = read(file());

    // A disk that fills up during the save: writes beyond a few bytes fail.
    ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 3.0);
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string reason;
    const int result = ui::savePanelState(panel, file().toStdString(), 0, &reason);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_LT(result, 0);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(read(file()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tavrin.state"})
        << "no temporary file left";

    EXPECT_LT(ui::savePanelState(panel, dir.filePath("no/such/dir/Tavrin.state").toStdString(), 0, &reason), 0);
    EXPECT_EQ(reason, "No such file or directory");
}

// Files a careless or hostile user can put in the state file's place: none
// blocks the start, fills memory or takes long; none is recalled, silently.
// A link to a real state file is followed.
TEST_F(StateFile, NothingButARegularFileOfSaneSizeIsRead)
{
    ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 2.5);
    ASSERT_EQ(ui::savePanelState(panel, file("good.state").toStdString(), 0), 0);
    const QByteArray good = read(file("good.state"));
    const auto withValue = [&](const char *constant, const QJsonValue &value, int padding = 0) {
        QJsonObject root = QJsonDocument::fromJson(good).object();
        QJsonObject bySlot = root.value("slots").toObject();
        QJsonObject values = bySlot.value("0").toObject();
        values[constant] = value;
        if (padding > 0)
            values["_padding"] = QString(padding, 'x');
        bySlot["0"] = values;
        root["slots"] = bySlot;
        return QJsonDocument(root).toJson();
    };
    struct Case {
        const char *what;
        std::function<void(const QString &path)> make;
        int expected; // recall result
        double volts; // VOLTAGE_CH_1 after the recall
    };
    const auto linkTo = [](const QString &target) {
        return [target](const QString &path) { ASSERT_TRUE(QFile::link(target, path)); };
    };
    const auto content = [this](const QByteArray &bytes) { return [this, bytes](const QString &path) { write(path, bytes); }; };
    const Case cases[] = {
        {"a FIFO nobody writes to",
         [](const QString &path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); }, -1, 1.0},
        {"a link to /dev/zero", linkTo("/dev/zero"), -1, 1.0},
        {"a link to /dev/urandom", linkTo("/dev/urandom"), -1, 1.0},
        {"a directory", [](const QString &path) { ASSERT_TRUE(QDir().mkdir(path)); }, -1, 1.0},
        {"a dangling link", linkTo(file("nowhere")), -1, 1.0},
        {"above 1 MiB", content(withValue("VOLTAGE_CH_1", 3.0, 1024 * 1024)), -1, 1.0},
        {"a link to a state file", linkTo(file("good.state")), 0, 2.5},
        {"just below 1 MiB", content(withValue("VOLTAGE_CH_1", 3.0, 1000 * 1000)), 0, 3.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 1.0);
        QTemporaryDir place;
        const QString path = place.filePath("Tavrin.state");
        c.make(path);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ui::recallPanelState(panel, path.toStdString(), 0), c.expected);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_1), c.volts);
    }

    // Long texts: indicators and fixed texts are not recalled at all, a
    // field's text no further than its limit, and quickly.
    const QString longText(900 * 1000, 'y');
    const std::pair<const char *, int> texts[] = {
        {"MSGBOX", 0}, {"MODULE_1", 0}, {"VERSION", 0}, {"TEXTMSG_2", 0}, {"SN_1", 19}, {"strCh_1", 15}};
    for (const auto &[constant, kept] : texts) {
        SCOPED_TRACE(constant);
        const int id = panel::loadPanelDefinition(uirPath(), "BSDpanel")->find(constant)->id;
        const std::string before = ui::getText(panel, id);
        write(file(), withValue(constant, longText));
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ui::recallPanelState(panel, file().toStdString(), 0), 0);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(ui::getText(panel, id), kept ? std::string(kept, 'y') : before);
    }
    write(file(), withValue("INTERLOCK_1", 1));
    EXPECT_EQ(ui::recallPanelState(panel, file().toStdString(), 0), 0);
    EXPECT_EQ(ui::getInt(panel, ctrl::INTERLOCK_1), 0) << "a lamp shows what this run reads";
    EXPECT_TRUE(popups.shown.empty());
}

// A symbolic link in the state file's place is replaced by the saved file;
// the file it points to, or the place a dangling one names, is not written.
TEST_F(StateFile, ASaveReplacesALinkAndNeverWritesThroughIt)
{
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("precious.txt");
    write(victim, "the operator's other file\n");
    const QString nowhere = elsewhere.filePath("created.txt");
    for (const QString &target : {victim, nowhere}) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(file());
        ASSERT_TRUE(QFile::link(target, file()));
        ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 4.5);
        ASSERT_EQ(ui::savePanelState(panel, file().toStdString(), 0), 0);
        EXPECT_FALSE(QFileInfo(file()).isSymLink());
        EXPECT_TRUE(QFileInfo(file()).isFile());
        EXPECT_EQ(read(victim), "the operator's other file\n");
        EXPECT_FALSE(QFileInfo::exists(nowhere));
        ui::setDouble(panel, ctrl::VOLTAGE_CH_1, 1.0);
        EXPECT_EQ(ui::recallPanelState(panel, file().toStdString(), 0), 0);
        EXPECT_EQ(ui::getDouble(panel, ctrl::VOLTAGE_CH_1), 4.5);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tavrin.state"});
}

// A save killed half-way leaves its hidden temporary file; the next save
// removes it, and nothing that merely looks like one.
TEST_F(StateFile, ASaveRemovesTheTemporaryFilesOfKilledSavesAndNothingElse)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("target");
    write(target, "kept");
    struct Entry {
        const char *name;
        std::function<void(const QString &path)> make;
        bool removed;
    };
    const auto regular = [this](const QString &path) { write(path, "{\"format\": \"tavr-panel-state\"}"); };
    const Entry entries[] = {
        {".Tavrin.state.aB3xY9", regular, true},
        {".Tavrin.state.aB3xY", regular, false},
        {".Tavrin.state.aB3xY90", regular, false},
        {".Tavrin.state.aB3-Y9", regular, false},
        {"Tavrin.state.aB3xY9", regular, false},
        {".Tavrin_10.0.0.5.state.aB3xY9", regular, false},
        {".Tavrin.state.lnk1Y9", [&](const QString &path) { ASSERT_TRUE(QFile::link(target, path)); }, false},
        {".Tavrin.state.dir1Y9", [](const QString &path) { ASSERT_TRUE(QDir().mkdir(path)); }, false},
    };
    for (const Entry &e : entries)
        e.make(file(e.name));
    ASSERT_EQ(ui::savePanelState(panel, file().toStdString(), 0), 0);
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(QFileInfo(file(e.name)).exists() || QFileInfo(file(e.name)).isSymLink(), !e.removed);
    }
    EXPECT_EQ(read(target), "kept");
}
