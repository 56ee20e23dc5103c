#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

/// The trend data file both programs share: one file per controller,
/// <folder>/<prefix>_<nn>.DAT, one record per line: date, time, SV, control temperature and
/// auxiliary temperature separated by TABs, CR LF at the end.
class TrendFile
{
public:
    /// The file of a controller; the separator is always put between folder and name.
    static QString path(const QString &folder, const QString &prefix, int deviceNo);
    /// One record without its line end: "YYYY-MM-DD", TAB, "HH:MM:SS", TAB, sv, TAB, pv, TAB, aux.
    static QString recordLine(const QDateTime &time, const QString &sv, const QString &pv,
                              const QString &aux);
    /// A record line as written (its line end may be there or not): its time and the three
    /// values as their texts.
    struct Record
    {
        QDateTime time;
        QByteArray sv;
        QByteArray pv;
        QByteArray aux;
    };
    /// nullopt for a line that is not a record (a header, a cut or garbled line).
    static std::optional<Record> parseRecord(const QByteArray &line);
    /// The names of the three series as the charts' legends show them: "SV", "제어온도",
    /// "보조온도".
    static const QStringList &seriesNames();
};
