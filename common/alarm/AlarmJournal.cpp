#include "AlarmJournal.h"

#include "TextFile.h"

#include <QDir>

namespace {

constexpr int Fields = 8;

} // namespace

QString AlarmJournal::fileName(const QDate &day)
{
    return QStringLiteral("ALARM_%1.LOG").arg(day.toString(QStringLiteral("yyyyMMdd")));
}

QString AlarmJournal::lineOf(const AlarmTransition &transition, const QString &channelName)
{
    QString name = channelName;
    name.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return QStringList{transition.time.toString(QStringLiteral("yyyy-MM-dd")),
                       transition.time.toString(QStringLiteral("HH:mm:ss")),
                       QStringLiteral("%1").arg(transition.deviceNo, 2, 10, QLatin1Char('0')),
                       name,
                       Alarms::kindText(transition.kind),
                       Alarms::stepText(transition.step),
                       transition.value,
                       transition.limit}
        .join(QLatin1Char('\t'));
}

std::optional<AlarmTransition> AlarmJournal::transitionOf(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != Fields)
        return std::nullopt;
    AlarmTransition t;
    t.time = QDateTime::fromString(fields.at(0) + QLatin1Char(' ') + fields.at(1),
                                   QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    bool numbered = false;
    t.deviceNo = fields.at(2).toInt(&numbered);
    const auto kind = Alarms::kindOf(fields.at(4));
    const auto step = Alarms::stepOf(fields.at(5));
    if (!t.time.isValid() || !numbered || t.deviceNo < 1 || t.deviceNo > 99 || !kind || !step)
        return std::nullopt;
    t.kind = *kind;
    t.step = *step;
    t.value = fields.at(6);
    t.limit = fields.at(7);
    return t;
}

bool AlarmJournal::append(const QString &folder, const AlarmTransition &transition,
                          const QString &channelName)
{
    if (!TextFile::ensureFolder(folder))
        return false;
    return TextFile::appendLine(QDir(folder).filePath(fileName(transition.time.date())),
                                lineOf(transition, channelName));
}

QList<AlarmTransition> AlarmJournal::read(const QString &folder, const QDate &first,
                                          const QDate &last)
{
    QList<AlarmTransition> transitions;
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        const auto lines = TextFile::readLines(QDir(folder).filePath(fileName(day)));
        if (!lines)
            continue;
        for (const QString &line : *lines) {
            if (const auto transition = transitionOf(line))
                transitions.append(*transition);
        }
    }
    return transitions;
}
