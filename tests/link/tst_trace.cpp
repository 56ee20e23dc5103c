#include "TestFiles.h"
#include "Trace.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class tst_Trace : public QObject
{
    Q_OBJECT

private slots:
    void sentIdentificationLine();
    void receivedBytesAreRenderedRawIncludingNoise();
    void offWritesNothingAndDeletedFileIsCreatedAgain();
};

using TestFiles::contents;

static const QDateTime Sample(QDate(2024, 5, 1), QTime(13, 4, 5));

void tst_Trace::sentIdentificationLine()
{
    QTemporaryDir dir;
    Trace trace(dir.path(), [] { return Sample; });
    trace.setEnabled(true);
    trace.WriteTrace("\x02"
                     "01WHO\r\n",
                     false);
    // "송신," in code page 949, the time, ",", the frame.
    QCOMPARE(contents(dir.filePath(QStringLiteral("RecvData.txt"))),
             QByteArray("\xBC\xDB\xBD\xC5,2024-05-01 13:04:05,<STX>01WHO<CR><LF>\r\n"));
}

/// Noise is kept byte for byte, bytes that are not printable ASCII as their hex, so the trace
/// stays code page 949 text whatever came over the line.
void tst_Trace::receivedBytesAreRenderedRawIncludingNoise()
{
    const QByteArray line = Trace::renderLine(QByteArray("\x7F\x00\xFF\x1B\xB0\x02"
                                                         "01NG ~",
                                                         12),
                                              true, Sample);
    QCOMPARE(line, QByteArray("\xBC\xF6\xBD\xC5,2024-05-01 13:04:05,"
                              "<7F><00><FF><1B><B0><STX>01NG ~"));
}

void tst_Trace::offWritesNothingAndDeletedFileIsCreatedAgain()
{
    QTemporaryDir dir;
    Trace trace(dir.path(), [] { return Sample; });
    const QString path = dir.filePath(QStringLiteral("RecvData.txt"));
    trace.WriteTrace("\x02"
                     "01WHO\r\n",
                     false);
    QVERIFY(!QFile::exists(path));
    trace.setEnabled(true);
    trace.WriteTrace("\x02"
                     "01WHO\r\n",
                     false);
    trace.WriteTrace("\x02"
                     "01WHO\r\n",
                     false);
    QCOMPARE(contents(path).count("\r\n"), 2);
    QVERIFY(QFile::remove(path));
    trace.WriteTrace("\x02"
                     "01WHO\r\n",
                     false);
    QCOMPARE(contents(path).count("\r\n"), 1);
}

QTEST_GUILESS_MAIN(tst_Trace)
#include "tst_trace.moc"
