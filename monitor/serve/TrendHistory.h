#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QString>
#include <functional>

/// A trend file's records in a time range, as the served line's history replies carry them:
/// `{"time": ISO 8601 with UTC offset, "sv", "pv", "aux"}`. The file is read a line at a time
/// (it grows without limit); lines that are not records are passed over.
namespace TrendHistory {

/// Hands the records from first to last (both included) to chunk in order, at most chunkSize at
/// a time, more telling whether another chunk follows; always at least one chunk (empty when no
/// record is in the range or the file is missing).
void read(const QString &path, const QDateTime &first, const QDateTime &last, int chunkSize,
          const std::function<void(const QJsonArray &records, bool more)> &chunk);

} // namespace TrendHistory
