#include "panel/state_file/panel_state_file.h"


#include "panel/state_file/leftover_files.h"
#include "panel/state_file/recalled_text.h"
#include "panel/state_file/whole_files.h"
#include "panel/window/panel_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace panel {

namespace {

const char kFormat[] = "tavr-panel-state";
const int kVersion = 1;
// A state file is a few tens of kilobytes; anything far larger is not one.
const qint64 kMaxFileSize = 1024 * 1024;
// The longest text recalled into a field that has no length limit of its own.
const int kMaxRecalledText = 4096;

// Indicators and fixed texts show what this run finds and writes; a value
// for them in a file (an old message box, a card's identity, a lamp) is
// never taken back. Saving still writes them, so the layout stays the same.
bool isRecalled(const ControlDef &def)
{
    switch (def.kind) {
    case Kind::TextBox:
    case Kind::TextMessage:
    case Kind::Led:
        return false;
    case Kind::Text:
        return def.editable;
    default:
        return def.holdsValue();
    }
}

// The whole file, when it is a regular file of at most kMaxFileSize bytes.
std::optional<QByteArray> readBounded(const QString &path)
{
    std::string content, why;
    if (!readWholeFile(path.toStdString(), kMaxFileSize, content, why))
        return std::nullopt;
    return QByteArray::fromStdString(content);
}

// Writes all of `bytes` to `fd`; 0, or the errno of the failure (a full disk).
int writeAll(int fd, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        done += n;
    }
    return 0;
}

// Replaces the directory entry `path` atomically with a new file holding
// `bytes`; 0, or the errno of the step that failed. The entry itself is
// replaced: when it is a symbolic link, the link goes and the file it pointed
// to stays as it was, so that a save never writes outside the state file's own
// directory entry. A crash or a full disk leaves the old entry in place.
int replaceFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    QByteArray temporary = QFile::encodeName(QDir(info.absolutePath()).filePath("." + info.fileName() + ".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    int error = ::fchmod(fd, 0666 & ~mask) == 0 ? 0 : errno;
    if (error == 0)
        error = writeAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

QJsonValue toJson(const Control &c)
{
    const QVariant v = c.value();
    switch (c.def().kind) {
    case Kind::Numeric:
        if (c.def().numericType == NumericType::Double)
            return v.toDouble();
        return v.toInt();
    case Kind::ToggleButton:
    case Kind::ToggleSwitch:
    case Kind::Led:
        return v.toInt();
    default:
        return v.toString();
    }
}

// The value to restore, or an invalid variant when the stored one does not fit the control.
QVariant fromJson(const Control &c, const QJsonValue &stored)
{
    const ControlDef &def = c.def();
    switch (def.kind) {
    case Kind::Numeric: {
        if (!stored.isDouble())
            return {};
        const double d = std::clamp(stored.toDouble(), def.minimum, def.maximum);
        if (def.numericType == NumericType::Double)
            return d;
        if (std::floor(d) != d)
            return {};
        return static_cast<int>(d);
    }
    case Kind::ToggleButton:
    case Kind::ToggleSwitch:
    case Kind::Led:
        if (!stored.isDouble())
            return {};
        return stored.toDouble() != 0.0 ? 1 : 0;
    default: {
        if (!stored.isString())
            return {};
        QString text = recalledText(stored.toString());
        const int limit = def.maxLength > 0 ? def.maxLength : kMaxRecalledText;
        if (text.size() > limit)
            text.truncate(limit);
        return text;
    }
    }
}

} // namespace

int saveState(const PanelWindow &panel, const QString &path, int slot, QString *reason)
{
    QJsonObject values;
    for (const ControlDef &def : panel.def().controls)
        if (def.holdsValue())
            values.insert(def.constant, toJson(*panel.control(def.id)));
    QJsonObject bySlot;
    bySlot.insert(QString::number(slot), values);
    const QJsonObject root{{"format", kFormat}, {"version", kVersion}, {"panel", panel.def().name}, {"slots", bySlot}};

    removeLeftoverTemporaries(path);
    const int error = replaceFile(path, QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (error == 0)
        return kStateOk;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(error));
    return kStateWriteFailed;
}

int recallState(PanelWindow &panel, const QString &path, int slot)
{
    const std::optional<QByteArray> content = readBounded(path);
    return content ? recallStateFromBytes(panel, *content, slot) : kStateUnreadable;
}

int recallStateFromBytes(PanelWindow &panel, const QByteArray &content, int slot)
{
    if (content.size() > kMaxFileSize)
        return kStateUnreadable;
    const QJsonDocument doc = QJsonDocument::fromJson(content);
    const QJsonObject root = doc.object();
    if (!doc.isObject() || root.value("format").toString() != kFormat || root.value("version").toInt() != kVersion
        || root.value("panel").toString() != panel.def().name)
        return kStateUnreadable;
    const QJsonValue values = root.value("slots").toObject().value(QString::number(slot));
    if (!values.isObject())
        return kStateNoSlot;

    const QJsonObject stored = values.toObject();
    for (const ControlDef &def : panel.def().controls) {
        if (!isRecalled(def) || !stored.contains(def.constant))
            continue;
        Control *c = panel.control(def.id);
        const QVariant v = fromJson(*c, stored.value(def.constant));
        if (v.isValid())
            c->replaceValue(v);
    }
    return kStateOk;
}

} // namespace panel
