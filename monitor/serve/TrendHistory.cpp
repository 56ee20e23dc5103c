#include "TrendHistory.h"

#include "ControllerTopics.h"

#include <QFile>
#include <QJsonObject>
#include <optional>

namespace TrendHistory {

namespace {

struct Record
{
    QDateTime time;
    QJsonObject json;
};

std::optional<Record> recordOf(const QByteArray &line)
{
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() != 5)
        return std::nullopt;
    const QDateTime time(QDate::fromString(QString::fromLatin1(fields[0]), Qt::ISODate),
                         QTime::fromString(QString::fromLatin1(fields[1]), Qt::ISODate));
    bool okSv = false;
    bool okPv = false;
    bool okAux = false;
    const double sv = fields[2].toDouble(&okSv);
    const double pv = fields[3].toDouble(&okPv);
    const double aux = fields[4].toDouble(&okAux);
    if (!time.isValid() || !okSv || !okPv || !okAux)
        return std::nullopt;
    return Record{time, QJsonObject{{QStringLiteral("time"), ControllerTopics::isoWithOffset(time)},
                                    {QStringLiteral("sv"), sv},
                                    {QStringLiteral("pv"), pv},
                                    {QStringLiteral("aux"), aux}}};
}

} // namespace

void read(const QString &path, const QDateTime &first, const QDateTime &last, int chunkSize,
          const std::function<void(const QJsonArray &records, bool more)> &chunk)
{
    QFile file(path);
    QJsonArray records;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const auto record = recordOf(file.readLine());
            if (!record || record->time < first || record->time > last)
                continue;
            if (records.size() == chunkSize) {
                chunk(records, true);
                records = QJsonArray();
            }
            records.append(record->json);
        }
    }
    chunk(records, false);
}

} // namespace TrendHistory
