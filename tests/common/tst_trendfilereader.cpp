#include "TrendFileReader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class tst_TrendFileReader : public QObject
{
    Q_OBJECT

private slots:
    void recordsBecomeSamples();
    void numbersAreReadByTheirLeadingDigits();
    void shortLinesAreSkipped();
    void anyBytesAreSafe();
    void missingFileIsNotAnEmptyFile();
    void progressReachesTheEnd();

private:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("f%1.DAT").arg(m_count++));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
    int m_count = 0;
};

void tst_TrendFileReader::recordsBecomeSamples()
{
    const auto data = TrendFileReader::read(write("2024-03-07\t14:05:09\t60.0\t58.7\t25.3\r\n"
                                                  "2024-03-07\t14:05:10\t60.0\t58.8\t25.4\r\n"));
    QVERIFY(data);
    QCOMPARE(data->size(), qsizetype(2));
    QCOMPARE(data->label(0), QStringLiteral("14:05:09"));
    QCOMPARE(data->time(1), TrendData::timeOf(QDateTime(QDate(2024, 3, 7), QTime(14, 5, 10))));
    QCOMPARE(data->value(0, 0), 60.0f);
    QCOMPARE(data->value(1, 0), 58.7f);
    QCOMPARE(data->value(2, 1), 25.4f);
    // A last line without its line end still counts.
    QCOMPARE(TrendFileReader::read(write("d\t00:00:01\t1\t2\t3"))->size(), qsizetype(1));
}

void tst_TrendFileReader::numbersAreReadByTheirLeadingDigits()
{
    const auto data = TrendFileReader::read(
        write("d\t10:00:00\t25.3\t-1.5\tabc\r\nd\t10:00:01\t 7\t253\t0.5x\textra\tmore\r\n"));
    QVERIFY(data);
    QCOMPARE(data->size(), qsizetype(2));
    QCOMPARE(data->value(0, 0), 25.3f);
    QCOMPARE(data->value(1, 0), -1.5f);
    QCOMPARE(data->value(2, 0), 0.0f);
    QCOMPARE(data->value(0, 1), 7.0f);
    QCOMPARE(data->value(1, 1), 253.0f);
    QCOMPARE(data->value(2, 1), 0.5f);
    QCOMPARE(TrendFileReader::parseTime("23:59:59"), 86399);
    QCOMPARE(TrendFileReader::parseTime("24:00:00"), TrendData::NoTime);
    QCOMPARE(TrendFileReader::parseTime("1:02:03"), TrendData::NoTime);
    QCOMPARE(TrendFileReader::parseDate("2000-01-02"), 1);
    QCOMPARE(TrendFileReader::parseDate("2024-02-30"), std::nullopt);
    QCOMPARE(TrendFileReader::parseDate("24-03-07"), std::nullopt);
}

void tst_TrendFileReader::shortLinesAreSkipped()
{
    const auto data = TrendFileReader::read(
        write("\r\nd\t10:00:00\t1\t2\t3\r\nonly\tfour\tfields\there\r\n\r\nd\t10:00:01\t4\t5"));
    QVERIFY(data);
    QCOMPARE(data->size(), qsizetype(1));
    QCOMPARE(data->value(2, 0), 3.0f);
}

void tst_TrendFileReader::anyBytesAreSafe()
{
    QByteArray junk(300000, '\0');
    QRandomGenerator random(9);
    for (char &c : junk)
        c = char(random.bounded(256));
    QVERIFY(TrendFileReader::read(write(junk)));

    QByteArray longLine =
        "d\t10:00:00\t1\t2\t3" + QByteArray(3 << 20, 'x') + "\r\n" + "d\t10:00:01\t4\t5\t6\r\n";
    auto data = TrendFileReader::read(write(longLine));
    QVERIFY(data);
    QCOMPARE(data->size(), qsizetype(2));
    QCOMPARE(data->value(0, 1), 4.0f);

    // Labels that are not times are kept as text (code page 949 read as such).
    data = TrendFileReader::read(write("d\t\xC3\xCA\t1\t2\t3\r\nd\t\xE2\x82\xAC\t1\t2\t3\r\n"));
    QCOMPARE(data->label(0), QStringLiteral("초"));
    QVERIFY(!data->label(1).isEmpty());
}

void tst_TrendFileReader::missingFileIsNotAnEmptyFile()
{
    QVERIFY(!TrendFileReader::read(m_dir.filePath(QStringLiteral("none.DAT"))));
    const auto empty = TrendFileReader::read(write(QByteArray()));
    QVERIFY(empty);
    QCOMPARE(empty->size(), qsizetype(0));
}

void tst_TrendFileReader::progressReachesTheEnd()
{
    QByteArray big;
    for (int i = 0; i < 100000; ++i)
        big += "2024-05-01\t12:00:00\t60.0\t25.0\t24.0\r\n";
    double last = 0;
    int calls = 0;
    const auto data = TrendFileReader::read(write(big), [&](double share) {
        QVERIFY(share >= last);
        last = share;
        ++calls;
    });
    QCOMPARE(data->size(), qsizetype(100000));
    QVERIFY(calls >= 2);
    QCOMPARE(last, 1.0);
}

QTEST_GUILESS_MAIN(tst_TrendFileReader)
#include "tst_trendfilereader.moc"
