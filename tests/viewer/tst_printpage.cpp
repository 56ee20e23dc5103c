#include "Cp949.h"
#include "PrintPage.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

/// One word of a page as pdftotext -bbox reports it, in points.
struct Word
{
    QString text;
    QRectF box;
};

static QList<Word> wordsOf(const QString &pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    text.waitForFinished(30000);
    const QString html = QString::fromUtf8(text.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    }
    return words;
}

/// A trend file of one record every `step` seconds from 2024-05-01 00:00:00.
static void writeTrendFile(const QString &path, int count, int step)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QDateTime start(QDate(2024, 5, 1), QTime(0, 0));
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        const QDateTime t = start.addSecs(qint64(i) * step);
        bytes += t.toString(QStringLiteral("yyyy-MM-dd\tHH:mm:ss")).toLatin1() + "\t60.0\t" +
                 QByteArray::number(25.0 + 35.0 * (1 - std::exp(-i / 3000.0)), 'f', 1) + "\t" +
                 QByteArray::number(24.0 + 34.0 * (1 - std::exp(-i / 3000.0)), 'f', 1) + "\r\n";
    }
    file.write(bytes);
}

class tst_PrintPage : public QObject
{
    Q_OBJECT

private slots:
    void renderedPageIsReadableInsideItsMargins_data();
    void renderedPageIsReadableInsideItsMargins();
    void marginsThePageCannotTakeAreBroughtWithinIt_data();
    void marginsThePageCannotTakeAreBroughtWithinIt();
};

void tst_PrintPage::renderedPageIsReadableInsideItsMargins_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<int>("alarmMarks");
    QTest::addColumn<bool>("compared");
    QTest::newRow("an hour of seconds") << 3600 << 1 << QStringList() << QByteArray() << 0 << false;
    QTest::newRow("three days of seconds")
        << 3 * 86400 << 1 << QStringList{"05-01", "05-02", "05-03"} << QByteArray() << 0 << false;
    // Another run of an hour and a half drawn over it, with the statistics and a limit.
    QTest::newRow("an hour compared, with statistics")
        << 3600 << 1 << QStringList() << QByteArray() << 0 << true;
    // Controller 01's high alarm raised at 00:20 and cleared at 00:40 is marked twice; its
    // acknowledgement and controller 02's alarm are not.
    QTest::newRow("an hour with alarms")
        << 3600 << 1 << QStringList()
        << QString("2024-05-01\t00:20:00\t01\tOven\t상한 경보\t발생\t45.1\t45.0\r\n"
                   "2024-05-01\t00:21:00\t01\tOven\t상한 경보\t확인\t45.1\t45.0\r\n"
                   "2024-05-01\t00:30:00\t02\tOther\t통신 이상\t발생\t\t\r\n"
                   "2024-05-01\t00:40:00\t01\tOven\t상한 경보\t해제\t43.9\t45.0\r\n")
               .toLocal8Bit()
        << 2 << false;
}

/// zq410-render prints as the Print button does: one landscape page, every word inside the
/// 10/10/15/15 mm margins at 6 to 14 points, the legend's names, round times left to right,
/// and the journaled alarms of the file's controller marked with their short names. Compared
/// with another run, the page has both runs in the legend, elapsed times on the axis and the
/// statistics table of both.
void tst_PrintPage::renderedPageIsReadableInsideItsMargins()
{
    QFETCH(int, count);
    QFETCH(int, step);
    QFETCH(QStringList, dates);
    QFETCH(QByteArray, journal);
    QFETCH(int, alarmMarks);
    QFETCH(bool, compared);
    QTemporaryDir dir;
    const QString trend = dir.filePath(QStringLiteral("ZQ410_01.DAT"));
    writeTrendFile(trend, count, step);
    if (!journal.isEmpty()) {
        QFile log(dir.filePath(QStringLiteral("ALARM_20240501.LOG")));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(Cp949::fromUnicode(QString::fromLocal8Bit(journal)));
    }
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    QStringList arguments = {trend, pdf, QStringLiteral("--margins"),
                             QStringLiteral("10,10,15,15")};
    if (compared) {
        const QString other = dir.filePath(QStringLiteral("ZQ410_01_OLD.DAT"));
        writeTrendFile(other, 2700, 2);
        arguments << QStringLiteral("--compare") << other << QStringLiteral("--statistics")
                  << QStringLiteral("--limit") << QStringLiteral("50");
    }
    QProcess render;
    render.start(QStringLiteral(ZQ410_RENDER), arguments);
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(10000));
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(text));
    const auto size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(text);
    const QSizeF page(size.captured(1).toDouble(), size.captured(2).toDouble());
    QVERIFY(page.width() > page.height());

    const double mm = 72.0 / 25.4;
    const QRectF inside(15 * mm, 10 * mm, page.width() - 30 * mm, page.height() - 20 * mm);
    const QList<Word> words = wordsOf(pdf);
    QStringList all;
    for (const Word &word : words) {
        all.append(word.text);
        QVERIFY2(inside.contains(word.box), qPrintable(word.text));
        const double height = word.box.height();
        if (word.text != QStringLiteral("온도(℃)")) // the value axis title stands on its side
            QVERIFY2(height >= 6 && height <= 14,
                     qPrintable(word.text + ' ' + QString::number(height)));
    }
    for (const QString &name :
         {QStringLiteral("SV"), QStringLiteral("제어온도"), QStringLiteral("보조온도")})
        QVERIFY2(all.contains(name), qPrintable(all.join(' ')));
    for (const QString &date : dates)
        QVERIFY2(all.contains(date), qPrintable(all.join(' ')));
    QCOMPARE(all.count(QStringLiteral("상한")), alarmMarks);
    QVERIFY(!all.contains(QStringLiteral("통신")));
    if (compared) {
        for (const QString &word : {QStringLiteral("(ZQ410_01_OLD.DAT)"), QStringLiteral("경과"),
                                    QStringLiteral("(비교)"), QStringLiteral("초과")})
            QVERIFY2(all.contains(word), qPrintable(word + QStringLiteral(": ") + all.join(' ')));
    }

    // The time labels: round, evenly spaced, rising from left to right.
    QList<Word> times;
    const QRegularExpression clock(compared ? QStringLiteral("^\\d:\\d\\d$")
                                            : QStringLiteral("^\\d\\d:\\d\\d(:\\d\\d)?$"));
    for (const Word &word : words) {
        if (clock.match(word.text).hasMatch())
            times.append(word);
    }
    QVERIFY2(times.size() >= 3, qPrintable(all.join(' ')));
    const double spacing = times[1].box.left() - times[0].box.left();
    for (int i = 1; i < times.size(); ++i) {
        QVERIFY(times[i].box.left() > times[i - 1].box.left());
        QVERIFY(std::abs(times[i].box.left() - times[i - 1].box.left() - spacing) < 3);
        // Round: whole tens, or quarter hours of elapsed time.
        QVERIFY2(times[i].text.endsWith(QLatin1Char('0')) ||
                     (compared && times[i].text.endsWith(QLatin1Char('5'))),
                 qPrintable(times[i].text));
    }
}

void tst_PrintPage::marginsThePageCannotTakeAreBroughtWithinIt_data()
{
    QTest::addColumn<PrintPage::MarginsMm>("wanted");
    QTest::addColumn<QStringList>("adjusted");
    QTest::newRow("all fit") << PrintPage::MarginsMm{10, 10, 15, 15} << QStringList();
    QTest::newRow("a negative one") << PrintPage::MarginsMm{-5, 10, 15, 15} << QStringList{"Top"};
    QTest::newRow("one wider than the page")
        << PrintPage::MarginsMm{10, 10, 400, 15} << QStringList{"Left"};
    QTest::newRow("two that meet")
        << PrintPage::MarginsMm{10, 10, 200, 200} << QStringList{"Left", "Right"};
}

/// The valid margins are kept; each invalid one is brought to the nearest the page allows.
void tst_PrintPage::marginsThePageCannotTakeAreBroughtWithinIt()
{
    QFETCH(PrintPage::MarginsMm, wanted);
    QFETCH(QStringList, adjusted);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QCOMPARE(PrintPage::applyMargins(printer, wanted), adjusted);
    const QMarginsF got = printer.pageLayout().margins(QPageLayout::Millimeter);
    const std::array<double, 4> used = {got.top(), got.bottom(), got.left(), got.right()};
    for (int i = 0; i < 4; ++i) {
        if (!adjusted.contains(PrintPage::sideNames().at(i)))
            QVERIFY(std::abs(used[i] - wanted[i]) < 0.1);
        else
            QVERIFY(used[i] >= 0);
    }
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    QVERIFY(area.width() > 50 && area.height() > 40);
}

QTEST_MAIN(tst_PrintPage)
#include "tst_printpage.moc"
