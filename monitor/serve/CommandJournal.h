#pragma once

#include <QDateTime>
#include <QString>

/// The command journal: COMMAND_YYYYMMDD.LOG in the data folder, one line per command from the
/// network, carried out or refused (date, time, user, client, controller, operation, field,
/// value before, value asked, value read back, result; TAB-separated, code page 949, CR LF),
/// each appended whole or not at all, as the alarm journal's lines are.
class CommandJournal
{
public:
    struct Entry
    {
        QDateTime time;
        QString user;
        QString client;
        int device = 0;
        QString op;
        QString field;
        QString before;
        QString asked;
        QString readback;
        /// "ok", or the refusal's or the failure's reason.
        QString result;
    };

    static QString fileName(const QDate &day);
    static QString lineOf(const Entry &entry);
    /// Appends the entry to its day's file in the folder; false when it could not be written.
    static bool append(const QString &folder, const Entry &entry);
};
