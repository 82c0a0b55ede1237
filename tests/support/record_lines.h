// The message record as the tests read it: each line's time stamp, and the
// text the box got once the stamps are taken off.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <vector>

namespace record_lines {

// "2024-05-01 14:03:07.123+02:00 ": the stamp and its blank.
inline constexpr int kStampLength = 30;

// The text without the stamps, exactly as the box got it; `stamps` receives
// each line's time (invalid where a line does not begin with a stamp).
inline QString unstamped(const QByteArray &record, std::vector<QDateTime> *stamps = nullptr)
{
    QString text;
    const QList<QByteArray> lines = record.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        if (i == lines.size() - 1 && line.isEmpty())
            break; // the record ended with its last line
        QDateTime time;
        if (line.size() >= kStampLength && line[kStampLength - 1] == ' ') {
            QByteArray stamp = line.left(kStampLength - 1);
            stamp[10] = 'T'; // the form Qt reads
            time = QDateTime::fromString(QString::fromLatin1(stamp), Qt::ISODateWithMs);
        }
        if (stamps)
            stamps->push_back(time);
        text += QString::fromUtf8(line.mid(kStampLength));
        if (i < lines.size() - 1)
            text += '\n';
    }
    return text;
}

} // namespace record_lines
