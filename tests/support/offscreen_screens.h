// Screens of chosen sizes on Qt's offscreen platform, for the tests of what
// the panel does on a given screen. Create one before the QApplication.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRect>
#include <QString>
#include <utility>
#include <vector>
#include <unistd.h>

namespace offscreen_screens {

struct Screen {
    QString name;
    QRect geometry; // logical pixels
};

// Points the offscreen platform at a configuration with `screens` (the first
// is the primary one), unless the tests run on another platform; the file
// goes when this does.
class Config {
public:
    explicit Config(const std::vector<Screen> &screens)
    {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        if (!platform.isEmpty() && platform != "offscreen")
            return;
        QJsonArray list;
        for (const Screen &s : screens)
            list.append(QJsonObject{{"name", s.name},
                                    {"x", s.geometry.x()},
                                    {"y", s.geometry.y()},
                                    {"width", s.geometry.width()},
                                    {"height", s.geometry.height()},
                                    {"logicalDpi", 96},
                                    {"dpr", 1}});
        path_ = QDir::temp().filePath(QString("tavr-test-screens-%1.json").arg(::getpid()));
        QFile file(path_);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QJsonDocument(QJsonObject{{"screens", list}}).toJson());
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path_.toLocal8Bit());
    }
    ~Config()
    {
        if (!path_.isEmpty())
            QFile::remove(path_);
    }
    Config(const Config &) = delete;
    Config &operator=(const Config &) = delete;

private:
    QString path_;
};

} // namespace offscreen_screens
