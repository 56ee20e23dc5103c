#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void ProgramFolder::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = QDir(m_path).filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void ProgramFolder::writeDeviceList(const QList<int> &devices) const
{
    QByteArray lines;
    for (int n = 1; n <= 99; ++n)
        lines += devices.contains(n) ? "O\t\r\n" : "X\t\r\n";
    write(QStringLiteral("CFG/SetMulti.INI"), lines);
}

void ProgramFolder::writePort(const QByteArray &port, const QByteArray &protocol) const
{
    write(QStringLiteral("Comm.CFG"), port + "\r\n9600\r\nN\r\n8\r\n1\r\n" + protocol + "\r\n");
}
