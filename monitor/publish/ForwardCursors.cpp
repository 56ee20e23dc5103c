#include "ForwardCursors.h"

#include "SettingsFiles.h"

#include <QDir>
#include <QSaveFile>
#include <QSettings>

ForwardCursors::ForwardCursors(const QString &programFolder) : m_programFolder(programFolder) {}

QString ForwardCursors::path() const
{
    return QDir(SettingsFiles(m_programFolder).cfgFolder())
        .filePath(QStringLiteral("MqttCursor.INI"));
}

QHash<int, ForwardCursors::Cursor> ForwardCursors::load() const
{
    QHash<int, Cursor> cursors;
    QSettings file(path(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Records"));
    for (const QString &key : file.childKeys()) {
        bool ok = false;
        const int deviceNo = key.toInt(&ok);
        const QStringList parts = file.value(key).toString().split(QLatin1Char(' '));
        if (!ok || parts.size() != 2)
            continue;
        const qint64 position = parts[0].toLongLong(&ok);
        const QDateTime time = QDateTime::fromString(parts[1], Qt::ISODate);
        if (ok && position >= 0 && time.isValid())
            cursors.insert(deviceNo, {position, time});
    }
    return cursors;
}

ForwardCursors::AlarmCursor ForwardCursors::loadAlarms() const
{
    QSettings file(path(), QSettings::IniFormat);
    const QStringList parts =
        file.value(QStringLiteral("Alarms/Last")).toString().split(QLatin1Char(' '));
    if (parts.size() != 2)
        return {};
    return {QDateTime::fromString(parts[0], Qt::ISODate), parts[1].toInt()};
}

bool ForwardCursors::save(const QHash<int, Cursor> &cursors) const
{
    QDir().mkpath(QFileInfo(path()).path());
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "[Records]\r\n";
    QList<int> devices = cursors.keys();
    std::sort(devices.begin(), devices.end());
    for (const int deviceNo : devices) {
        const Cursor &cursor = cursors.value(deviceNo);
        text += QStringLiteral("%1=%2 %3\r\n")
                    .arg(deviceNo, 2, 10, QLatin1Char('0'))
                    .arg(cursor.position)
                    .arg(cursor.time.toString(Qt::ISODate))
                    .toLatin1();
    }
    if (m_alarms.time.isValid())
        text += "[Alarms]\r\nLast=" + m_alarms.time.toString(Qt::ISODate).toLatin1() + ' ' +
                QByteArray::number(m_alarms.sameSecond) + "\r\n";
    file.write(text);
    return file.commit();
}
