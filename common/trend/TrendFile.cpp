#include "TrendFile.h"

#include <QDir>

QString TrendFile::path(const QString &folder, const QString &prefix, int deviceNo)
{
    return folder + QDir::separator() + prefix + QLatin1Char('_') +
           QStringLiteral("%1").arg(deviceNo, 2, 10, QLatin1Char('0')) + QStringLiteral(".DAT");
}

QString TrendFile::recordLine(const QDateTime &time, const QString &sv, const QString &pv,
                              const QString &aux)
{
    const QChar tab(QLatin1Char('\t'));
    return time.toString(QStringLiteral("yyyy-MM-dd")) + tab +
           time.toString(QStringLiteral("HH:mm:ss")) + tab + sv + tab + pv + tab + aux;
}

std::optional<TrendFile::Record> TrendFile::parseRecord(const QByteArray &line)
{
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() != 5)
        return std::nullopt;
    Record record{QDateTime(QDate::fromString(QString::fromLatin1(fields[0]), Qt::ISODate),
                            QTime::fromString(QString::fromLatin1(fields[1]), Qt::ISODate)),
                  fields[2], fields[3], fields[4]};
    for (const QByteArray &value : {record.sv, record.pv, record.aux}) {
        bool ok = false;
        value.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return record.time.isValid() ? std::optional<Record>(record) : std::nullopt;
}

const QStringList &TrendFile::seriesNames()
{
    static const QStringList names = {QStringLiteral("SV"), QStringLiteral("제어온도"),
                                      QStringLiteral("보조온도")};
    return names;
}
