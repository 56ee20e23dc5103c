#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// Writes a monitor program folder's settings files for a test, byte for byte.
class ProgramFolder
{
public:
    explicit ProgramFolder(const QString &path) : m_path(path) {}

    /// A file below the folder, its subfolders created.
    void write(const QString &name, const QByteArray &bytes) const;
    /// CFG/SetMulti.INI with these device numbers marked "O", the other lines of 1..99 "X".
    void writeDeviceList(const QList<int> &devices) const;
    /// Comm.CFG for the port at 9600,N,8,1 with the protocol.
    void writePort(const QByteArray &port, const QByteArray &protocol) const;

private:
    QString m_path;
};
