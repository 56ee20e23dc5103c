#include "CommandJournal.h"

#include "TextFile.h"

#include <QDir>

QString CommandJournal::fileName(const QDate &day)
{
    return QStringLiteral("COMMAND_%1.LOG").arg(day.toString(QStringLiteral("yyyyMMdd")));
}

QString CommandJournal::lineOf(const Entry &entry)
{
    // A TAB or a line end in a text from the network would break the line into fields or lines.
    const auto clean = [](QString text) {
        return text.replace(QLatin1Char('\t'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
    };
    return QStringList{entry.time.toString(QStringLiteral("yyyy-MM-dd")),
                       entry.time.toString(QStringLiteral("HH:mm:ss")),
                       clean(entry.user),
                       clean(entry.client),
                       QStringLiteral("%1").arg(entry.device, 2, 10, QLatin1Char('0')),
                       entry.op,
                       clean(entry.field),
                       entry.before,
                       entry.asked,
                       entry.readback,
                       entry.result}
        .join(QLatin1Char('\t'));
}

bool CommandJournal::append(const QString &folder, const Entry &entry)
{
    if (!TextFile::ensureFolder(folder))
        return false;
    return TextFile::appendLine(QDir(folder).filePath(fileName(entry.time.date())), lineOf(entry));
}
