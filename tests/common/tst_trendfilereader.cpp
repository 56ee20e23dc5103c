#include "NumberText.h"
#include "TrendFileReader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

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
    void largeFileReadInHalvesAsLineByLine();
    void linesWithoutTimesKeepFewLabelsAndAreCounted();

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
    QCOMPARE(data->samples.size(), qsizetype(2));
    QCOMPARE(data->samples.label(0), QStringLiteral("14:05:09"));
    QCOMPARE(data->samples.time(1),
             TrendData::timeOf(QDateTime(QDate(2024, 3, 7), QTime(14, 5, 10))));
    QCOMPARE(data->samples.value(0, 0), 60.0f);
    QCOMPARE(data->samples.value(1, 0), 58.7f);
    QCOMPARE(data->samples.value(2, 1), 25.4f);
    // A last line without its line end still counts.
    QCOMPARE(TrendFileReader::read(write("d\t00:00:01\t1\t2\t3"))->samples.size(), qsizetype(1));
}

void tst_TrendFileReader::numbersAreReadByTheirLeadingDigits()
{
    const auto data = TrendFileReader::read(
        write("d\t10:00:00\t25.3\t-1.5\tabc\r\nd\t10:00:01\t 7\t253\t0.5x\textra\tmore\r\n"));
    QVERIFY(data);
    QCOMPARE(data->samples.size(), qsizetype(2));
    QCOMPARE(data->samples.value(0, 0), 25.3f);
    QCOMPARE(data->samples.value(1, 0), -1.5f);
    QCOMPARE(data->samples.value(2, 0), 0.0f);
    QCOMPARE(data->samples.value(0, 1), 7.0f);
    QCOMPARE(data->samples.value(1, 1), 253.0f);
    QCOMPARE(data->samples.value(2, 1), 0.5f);
    // Every form of number reads as the general rule reads it, the monitor's own fast.
    for (const char *text : {"45.3",
                             "-0.5",
                             ".5",
                             "5.",
                             "007.5",
                             "3276.7",
                             "3276.8",
                             "-3276.8",
                             "-0",
                             "0.05",
                             "123456789012345",
                             "1234567890123456",
                             "1e2",
                             "+5",
                             " 7",
                             "-",
                             "",
                             "1.2.3",
                             "9x",
                             "32768",
                             "-32768.5",
                             "1e39",
                             "-1e308",
                             "1234567890123456789012345678901234567890"}) {
        const auto one = TrendFileReader::read(
            write(QByteArray("d\t10:00:00\t") + text + "\t1\t" + text + "\r\n"));
        // Beyond what a controller can report (a 16-bit register) a value counts as unreadable.
        const double number = NumberText::leadingNumber(QByteArrayView(text));
        const float expected = std::abs(number) <= 32768 ? float(number) : 0.0f;
        QCOMPARE(one->samples.value(0, 0), expected);
        QCOMPARE(one->samples.value(2, 0), expected);
    }
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
    QCOMPARE(data->samples.size(), qsizetype(1));
    QCOMPARE(data->samples.value(2, 0), 3.0f);
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
    QCOMPARE(data->samples.size(), qsizetype(2));
    QCOMPARE(data->samples.value(0, 1), 4.0f);

    // Labels that are not times are kept as text (code page 949 read as such).
    data = TrendFileReader::read(write("d\t\xC3\xCA\t1\t2\t3\r\nd\t\xE2\x82\xAC\t1\t2\t3\r\n"));
    QCOMPARE(data->samples.label(0), QStringLiteral("초"));
    QVERIFY(!data->samples.label(1).isEmpty());
}

void tst_TrendFileReader::missingFileIsNotAnEmptyFile()
{
    QVERIFY(!TrendFileReader::read(m_dir.filePath(QStringLiteral("none.DAT"))));
    const auto empty = TrendFileReader::read(write(QByteArray()));
    QVERIFY(empty);
    QCOMPARE(empty->samples.size(), qsizetype(0));
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
    QCOMPARE(data->samples.size(), qsizetype(100000));
    QVERIFY(calls >= 2);
    QCOMPARE(last, 1.0);
}

/// A file large enough to be read in two halves at once gives the samples, labels and size that
/// reading it line by line gives, whatever lies around its middle.
void tst_TrendFileReader::largeFileReadInHalvesAsLineByLine()
{
    QByteArray bytes;
    QRandomGenerator random(4);
    for (int i = 0; bytes.size() < (5 << 20); ++i) {
        const int kind = random.bounded(40);
        if (kind == 0)
            bytes += "junk\r\n";
        else if (kind == 1)
            bytes += "2024-05-02\tlabel " + QByteArray::number(i) + "\t1\t2.25\t1e1\r\n";
        else
            bytes += QStringLiteral("2024-05-%1\t%2:%3:%4\t60.0\t%5\t-%6\n")
                         .arg(1 + i / 86400)
                         .arg(i / 3600 % 24, 2, 10, QLatin1Char('0'))
                         .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                         .arg(i % 60, 2, 10, QLatin1Char('0'))
                         .arg(random.bounded(10000) / 10.0, 0, 'f', 1)
                         .arg(random.bounded(1000) / 100.0, 0, 'f', 2)
                         .toLatin1();
    }
    bytes += "2024-05-09\t23:59:59\t1\t2\t3"; // no line end
    const auto contents = TrendFileReader::read(write(bytes));
    QVERIFY(contents);
    QCOMPARE(contents->size, qint64(bytes.size()));
    TrendData expected;
    for (QByteArrayView line : QByteArrayView(bytes).toByteArray().split('\n'))
        TrendFileReader::addLine(line.endsWith('\r') ? line.chopped(1) : line, expected);
    const TrendData &samples = contents->samples;
    QCOMPARE(samples.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(samples.time(i), expected.time(i));
        QCOMPARE(samples.label(i), expected.label(i));
        for (int s = 0; s < TrendData::SeriesCount; ++s)
            QCOMPARE(samples.value(s, i), expected.value(s, i));
    }
}

/// A file whose time fields are not times (a hostile or foreign file) keeps its samples but only
/// the first labels, so its memory stays of the order of a valid file's; the lines are counted so
/// the viewer can say what it was given. A value no controller can report hides nothing.
void tst_TrendFileReader::linesWithoutTimesKeepFewLabelsAndAreCounted()
{
    QByteArray file;
    const int lines = int(TrendData::MaxLabels) * 3;
    for (int i = 0; i < lines; ++i)
        file += "d\tx" + QByteArray::number(i) + "\t1\t2\t3\r\n";
    file += "2024-03-07\t14:05:09\t1e39\t58.7\t25.3\r\n";
    const auto data = TrendFileReader::read(write(file));
    QVERIFY(data);
    QCOMPARE(data->samples.size(), qsizetype(lines + 1));
    QCOMPARE(data->samples.untimedCount(), qsizetype(lines));
    QCOMPARE(data->samples.label(0), QStringLiteral("x0"));
    QCOMPARE(data->samples.label(TrendData::MaxLabels - 1),
             QStringLiteral("x%1").arg(TrendData::MaxLabels - 1));
    QCOMPARE(data->samples.label(lines - 1), QString());
    QCOMPARE(data->samples.label(lines), QStringLiteral("14:05:09"));
    QCOMPARE(data->samples.value(0, lines), 0.0f);
    QCOMPARE(data->samples.value(1, lines), 58.7f);
    const MinMax range = data->samples.range(0, 0, data->samples.size());
    QCOMPARE(range.max, 1.0f);
}

QTEST_GUILESS_MAIN(tst_TrendFileReader)
#include "tst_trendfilereader.moc"
