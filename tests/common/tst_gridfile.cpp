#include "GridFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_GridFile : public QObject
{
    Q_OBJECT

private slots:
    void cellsRoundTripWithEscapes();
    void fileWithoutSignatureIsRefused();
};

void tst_GridFile::cellsRoundTripWithEscapes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("UseItem.CFG"));
    const QList<QStringList> rows = {{QStringLiteral("SV"), QStringLiteral("제어온도")},
                                     {QStringLiteral("a\tb"), QStringLiteral("line\r\nbreak\\")}};
    QVERIFY(GridFile::save(path, rows));
    QCOMPARE(GridFile::load(path).value(), rows);
}

void tst_GridFile::fileWithoutSignatureIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.CFG"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\t0\t1\r\n");
    file.close();
    QVERIFY(!GridFile::load(path));
    QVERIFY(!GridFile::load(dir.filePath(QStringLiteral("missing"))));
}

QTEST_GUILESS_MAIN(tst_GridFile)
#include "tst_gridfile.moc"
