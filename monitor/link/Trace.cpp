#include "Trace.h"

#include "Cp949.h"
#include "Frames.h"
#include "TextFile.h"

#include <QDir>

Trace::Trace(const QString &programFolder, Now now)
    : m_path(QDir(programFolder).filePath(QStringLiteral("RecvData.txt"))), m_now(std::move(now))
{}

void Trace::WriteTrace(const QByteArray &bytes, bool received) const
{
    if (!m_enabled)
        return;
    TextFile::appendLine(m_path, renderLine(bytes, received, m_now()));
}

QByteArray Trace::renderLine(const QByteArray &bytes, bool received, const QDateTime &time)
{
    QByteArray line =
        Cp949::fromUnicode(received ? QStringLiteral("수신,") : QStringLiteral("송신,"));
    line += time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    line += ',';
    for (char byte : bytes) {
        if (byte == Frames::STX)
            line += "<STX>";
        else if (byte == Frames::CR)
            line += "<CR>";
        else if (byte == Frames::LF)
            line += "<LF>";
        else if (byte >= 0x20 && byte < 0x7F)
            line += byte;
        else // every other byte as its hex, so each stays visible and the file stays text
            line += '<' +
                    QByteArray::number(static_cast<unsigned char>(byte), 16)
                        .toUpper()
                        .rightJustified(2, '0') +
                    '>';
    }
    return line;
}
