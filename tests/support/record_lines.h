// The message record as the tests read it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <QString>

namespace record_lines {

// The record without its stamps: the text exactly as the box got it. A line
// that does not begin with a stamp keeps "(no stamp)" in its place, so that
// it shows in a comparison.
inline QString unstamped(const QByteArray &record)
{
    static const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d )");
    QString text;
    const QList<QByteArray> lines = record.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break; // the record ends with a line feed
        const QString line = QString::fromUtf8(lines[i]);
        text += stamp.match(line).hasMatch() ? line.mid(30) : "(no stamp)" + line;
        if (i < lines.size() - 1)
            text += '\n';
    }
    return text;
}

} // namespace record_lines
