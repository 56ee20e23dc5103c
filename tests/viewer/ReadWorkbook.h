#pragma once

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

/// Workbooks read back by openpyxl under Debian's own Python (SYSTEM_PYTHON runs READ_XLSX).
namespace ReadWorkbook {

/// Sheet -> address -> [type, value, number format]; empty when it cannot be read.
inline QJsonObject readBack(const QString &workbook)
{
    QProcess python;
    python.start(QStringLiteral(SYSTEM_PYTHON), {QStringLiteral(READ_XLSX), workbook});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

inline QStringList cell(const QJsonObject &book, const QString &sheet, const QString &address)
{
    return book.value(sheet).toObject().value(address).toVariant().toStringList();
}

} // namespace ReadWorkbook
