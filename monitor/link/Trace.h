#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

/// The communication trace RecvData.txt in the program folder: one line per traced frame,
/// "송신," or "수신,", the time "YYYY-MM-DD HH:MM:SS", ",", then the bytes with STX, CR and LF
/// written as <STX>, <CR> and <LF> and every other byte that is not printable ASCII as its hex
/// (<1B>), so the file stays text. Appended and closed per line; never truncated.
class Trace
{
public:
    using Now = std::function<QDateTime()>;

    Trace(const QString &programFolder, Now now);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    QString path() const { return m_path; }

    /// Appends one line for the bytes when the trace is on. A failed write is skipped silently:
    /// the trace must never disturb the line.
    void WriteTrace(const QByteArray &bytes, bool received) const;

    /// The line as written, without its CR LF.
    static QByteArray renderLine(const QByteArray &bytes, bool received, const QDateTime &time);

private:
    QString m_path;
    Now m_now;
    bool m_enabled = false;
};
