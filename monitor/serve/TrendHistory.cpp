#include "TrendHistory.h"

#include "ControllerTopics.h"
#include "TrendFile.h"

#include <QFile>
#include <QJsonObject>
#include <optional>

namespace TrendHistory {

namespace {

QJsonObject jsonOf(const TrendFile::Record &record)
{
    return {{QStringLiteral("time"), ControllerTopics::isoWithOffset(record.time)},
            {QStringLiteral("sv"), record.sv.toDouble()},
            {QStringLiteral("pv"), record.pv.toDouble()},
            {QStringLiteral("aux"), record.aux.toDouble()}};
}

} // namespace

void read(const QString &path, const QDateTime &first, const QDateTime &last, int chunkSize,
          const std::function<void(const QJsonArray &records, bool more)> &chunk)
{
    QFile file(path);
    QJsonArray records;
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const auto record = TrendFile::parseRecord(file.readLine());
            if (!record || record->time < first || record->time > last)
                continue;
            if (records.size() == chunkSize) {
                chunk(records, true);
                records = QJsonArray();
            }
            records.append(jsonOf(*record));
        }
    }
    chunk(records, false);
}

} // namespace TrendHistory
