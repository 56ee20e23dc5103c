#include "ChartCursors.h"
#include "Cp949.h"
#include "FindControl.h"
#include "ReadWorkbook.h"
#include "TrendChart.h"
#include "frmZQ410_GraphView.h"
#include <qcustomplot.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

/// The viewer following a file the monitor records, reading it with the cursors and answering
/// questions about it: a range's statistics, another run compared, a range exported.
class tst_Following : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void appendedRecordsAppearWithTheViewAtTheEnd();
    void zoomedViewStaysAndAShrunkFileReloads();
    void newFilesJoinTheListKeepingTheSelection();
    void fileGivenFromOutsideIsListedAndDrawn();
    void cursorsReadDifferencesAndRateOffTheRecords();
    void statisticsFollowZoomCursorsAndTheLimit();
    void rangeBetweenTheCursorsIsExported();
    void ctrlClickComparesAnotherRunUntilEnded();

private:
    /// Records of one second each from 12:00:00, the control temperature rising by step a second.
    static QByteArray records(int first, int count, double step = 0.5)
    {
        QByteArray bytes;
        for (int i = first; i < first + count; ++i)
            bytes += QStringLiteral("2024-05-01\t%1:%2:%3\t60.0\t%4\t25.0\r\n")
                         .arg(12 + i / 3600, 2, 10, QLatin1Char('0'))
                         .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                         .arg(i % 60, 2, 10, QLatin1Char('0'))
                         .arg(20.0 + step * i, 0, 'f', 1)
                         .toLatin1();
        return bytes;
    }
    void append(const QByteArray &bytes)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(bytes);
    }
    TrendChart &chart() { return *control<TrendChart>(*m_window, QStringLiteral("ChartFX1")); }
    QCustomPlot &plot() { return *chart().findChild<QCustomPlot *>(); }
    /// A click on the plot at the record's place, then the double-click interval.
    void clickRecord(qsizetype index, Qt::MouseButton button = Qt::LeftButton)
    {
        const int x = int(std::lround(plot().xAxis->coordToPixel(double(index))));
        const int y = plot().axisRect()->center().y();
        QTest::mouseClick(&plot(), button, {}, QPoint(x, y));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
    }

    template <typename T> T *find(const char *name)
    {
        return control<T>(*m_window, QString::fromLatin1(name));
    }
    /// The statistics row of a series, by its name in the table.
    QStringList statisticsOf(const QString &series)
    {
        for (const QStringList &row : chart().statisticsRows()) {
            if (row.first() == series)
                return row;
        }
        return {};
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<frmZQ410_GraphView> m_window;
};

void tst_Following::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString program = m_dir->filePath(QStringLiteral("program"));
    const QString data = m_dir->filePath(QStringLiteral("data"));
    QDir().mkpath(program);
    QDir().mkpath(data);
    m_path = QDir(data).filePath(QStringLiteral("ZQ410_01.DAT"));
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(records(0, 100));
    file.close();
    m_window = std::make_unique<frmZQ410_GraphView>(program, data);
    m_window->resize(1016, 735);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_window->LoadTrendFile(m_path));
    QCOMPARE(chart().data().size(), qsizetype(100));
}

void tst_Following::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void tst_Following::appendedRecordsAppearWithTheViewAtTheEnd()
{
    // A record the monitor has half written waits for its line end.
    append(records(100, 3) + "2024-05-01\t12:01:43\t60.0\t71");
    QTRY_COMPARE(chart().data().size(), qsizetype(103));
    QCOMPARE(chart().xLast(), 102.0);
    append(".5\t25.0\r\n" + records(104, 6));
    QTRY_COMPARE(chart().data().size(), qsizetype(110));
    QCOMPARE(chart().data().value(1, 103), 71.5f);
    QCOMPARE(chart().data().label(109), QStringLiteral("12:01:49"));
    QCOMPARE(chart().xFirst(), 0.0);
    QCOMPARE(chart().xLast(), 109.0);

    // Zoomed onto the end, the view moves along as a strip chart.
    chart().setXRange(60, 109);
    append(records(110, 5));
    QTRY_COMPARE(chart().data().size(), qsizetype(115));
    QCOMPARE(chart().xFirst(), 65.0);
    QCOMPARE(chart().xLast(), 114.0);

    // An alarm the monitor journals meanwhile is marked as the records come in.
    QVERIFY(chart().eventMarks().empty());
    QFile journal(QFileInfo(m_path).dir().filePath(QStringLiteral("ALARM_20240501.LOG")));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write(Cp949::fromUnicode(
        QStringLiteral("2024-05-01\t12:01:56\t01\t\t상한 경보\t발생\t78.0\t75.0\r\n")));
    journal.close();
    append(records(115, 3));
    QTRY_COMPARE(chart().eventMarks().size(), size_t(1));
    QCOMPARE(chart().eventMarks().front().text, QStringLiteral("상한"));
    QCOMPARE(chart().eventMarks().front().color, QColor(220, 0, 0));
}

void tst_Following::zoomedViewStaysAndAShrunkFileReloads()
{
    chart().setXRange(10, 40);
    append(records(100, 20));
    QTRY_COMPARE(chart().data().size(), qsizetype(120));
    QCOMPARE(chart().xFirst(), 10.0);
    QCOMPARE(chart().xLast(), 40.0);

    // The monitor started the file again: it is read afresh.
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(records(0, 30, 1.0));
    file.close();
    QTRY_COMPARE(chart().data().size(), qsizetype(30));
    QCOMPARE(chart().data().value(1, 29), 49.0f);
    QVERIFY(m_window->follower().isFollowing());
    append(records(30, 1, 1.0));
    QTRY_COMPARE(chart().data().size(), qsizetype(31));

    // Replaced by a longer file with another beginning: read afresh too, not appended to.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("2024-06-01\t08:00:00\t70.0\t20.0\t20.0\r\n" + records(1, 40, 1.0));
    file.close();
    QTRY_COMPARE(chart().data().size(), qsizetype(41));
    QCOMPARE(chart().data().label(0), QStringLiteral("08:00:00"));
}

void tst_Following::newFilesJoinTheListKeepingTheSelection()
{
    auto *list = control<QListWidget>(*m_window, QStringLiteral("File1"));
    list->setCurrentRow(0);
    QTRY_VERIFY(!m_window->isLoading());
    QFile other(QFileInfo(m_path).dir().filePath(QStringLiteral("ZQ410_00.DAT")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("ZQ410_00.DAT"));
    QVERIFY(list->item(1)->isSelected());
    QVERIFY(!m_window->isLoading());
}

void tst_Following::fileGivenFromOutsideIsListedAndDrawn()
{
    const QString other = m_dir->filePath(QStringLiteral("elsewhere/ZQ410_07.DAT"));
    QDir().mkpath(QFileInfo(other).path());
    QFile file(other);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(records(0, 7));
    file.close();
    m_window->showFile(other);
    QTRY_COMPARE(chart().data().size(), qsizetype(7));
    auto *list = control<QListWidget>(*m_window, QStringLiteral("File1"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("ZQ410_07.DAT"));
}

void tst_Following::cursorsReadDifferencesAndRateOffTheRecords()
{
    QCOMPARE(CursorReadout::durationText(0), QStringLiteral("0:00:00"));
    QCOMPARE(CursorReadout::durationText(90061), QStringLiteral("25:01:01"));
    QCOMPARE(CursorReadout::durationText(-61), QStringLiteral("-0:01:01"));

    ChartCursors &cursors = chart().cursors();
    clickRecord(10);
    clickRecord(70);
    QCOMPARE(cursors.cursor(ChartCursors::A), qsizetype(10));
    QCOMPARE(cursors.cursor(ChartCursors::B), qsizetype(70));
    // Records 10 and 70: 12:00:10 and 12:01:10, 25.0 and 55.0 degrees.
    CursorReadout readout = cursors.readout();
    QCOMPARE(readout.a->label, QStringLiteral("12:00:10"));
    QCOMPARE(readout.b->values[1], 55.0f);
    QCOMPARE(readout.seconds(), qint64(60));
    QCOMPARE(readout.difference(1), 30.0);
    QCOMPARE(readout.difference(0), 0.0);
    QCOMPARE(readout.ratePerMinute(1), 30.0);
    const QList<QStringList> rows = cursors.tableRows();
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[3],
             (QStringList{QStringLiteral("B-A"), QStringLiteral("0:01:00"), QStringLiteral("0.0"),
                          QStringLiteral("30.0"), QStringLiteral("0.0")}));
    QCOMPARE(rows[4][3], QStringLiteral("30.00"));

    // Zoom and scroll leave the cursors on their records; a third click moves the nearer one.
    chart().setXRange(50, 90);
    chart().redraw();
    QCOMPARE(cursors.cursor(ChartCursors::B), qsizetype(70));
    clickRecord(80);
    QCOMPARE(cursors.cursor(ChartCursors::A), qsizetype(10));
    QCOMPARE(cursors.cursor(ChartCursors::B), qsizetype(80));
    // A right-click takes the nearer away; a double click places none.
    clickRecord(79, Qt::RightButton);
    QCOMPARE(cursors.cursor(ChartCursors::B), std::nullopt);
    const int x = int(std::lround(plot().xAxis->coordToPixel(60.0)));
    QTest::mouseDClick(&plot(), Qt::LeftButton, {}, QPoint(x, plot().axisRect()->center().y()));
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QCOMPARE(cursors.cursor(ChartCursors::B), std::nullopt);
    QCOMPARE(chart().xLast(), 99.0); // the double click showed everything again

    // Another file clears them.
    QVERIFY(m_window->LoadTrendFile(m_path));
    QCOMPARE(cursors.cursor(ChartCursors::A), std::nullopt);
}

/// Records 0-99 rise by 0.5 a second from 20.0: the figures of any range are known.
void tst_Following::statisticsFollowZoomCursorsAndTheLimit()
{
    QVERIFY(chart().statisticsRows().isEmpty());
    QTest::mouseClick(find<QCheckBox>("chbStatistics"), Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(chart().isStatisticsVisible());
    QStringList rows = chart().statisticsRows().first();
    QCOMPARE(rows.mid(0, 3), (QStringList{"통계 (화면)", "개수", "최소"}));
    QCOMPARE(statisticsOf("제어온도"), (QStringList{"제어온도", "100", "20.0", "12:00:00", "69.5",
                                                    "12:01:39", "44.75", "14.43"}));
    QCOMPARE(statisticsOf("SV").mid(6), (QStringList{"60.00", "0.00"}));
    // A zoom takes the visible records.
    chart().setXRange(50, 59);
    chart().redraw();
    QCOMPARE(statisticsOf("제어온도").mid(1, 2), (QStringList{"10", "45.0"}));
    chart().showAll();

    // Between the cursors: records 10 to 70.
    clickRecord(70);
    clickRecord(10);
    QCOMPARE(chart().statisticsRows().first().first(), QStringLiteral("통계 A~B"));
    QCOMPARE(statisticsOf("제어온도"), (QStringList{"제어온도", "61", "25.0", "12:00:10", "55.0",
                                                    "12:01:10", "40.00", "8.80"}));

    // A limit typed: 29 s above 40.0 (records 41-69; 70, the last, holds for none), 30 s below
    // (10-39), none for record 40 on it.
    QLineEdit *limit = find<QLineEdit>("txtLimit");
    QTest::mouseClick(limit, Qt::LeftButton);
    QTest::keyClicks(limit, QStringLiteral("40"));
    QTest::keyClick(limit, Qt::Key_Return);
    QCOMPARE(chart().statisticsRows().first().mid(8), (QStringList{"40 초과", "40 미만"}));
    QCOMPARE(statisticsOf("제어온도").mid(8), (QStringList{"0:00:29", "0:00:30"}));
    QCOMPARE(statisticsOf("SV").mid(8), (QStringList{"0:01:00", "0:00:00"}));
    // Letters cannot be typed; a lone sign is no limit.
    limit->clear();
    QTest::keyClicks(limit, QStringLiteral("x-"));
    QCOMPARE(limit->text(), QStringLiteral("-"));
    QTest::keyClick(limit, Qt::Key_Return);
    QCOMPARE(limit->text(), QString());
    QCOMPARE(chart().statisticsLimit(), std::nullopt);
    QCOMPARE(chart().statisticsRows().first().size(), 8);

    // Records coming in leave a range between the cursors as it is.
    append(records(100, 5));
    QTRY_COMPARE(chart().data().size(), qsizetype(105));
    QCOMPARE(statisticsOf("제어온도").at(1), QStringLiteral("61"));
    QTest::mouseClick(find<QCheckBox>("chbStatistics"), Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(chart().statisticsRows().isEmpty());
}

/// "A~B Excel" waits for both cursors, then writes the records between them, both included,
/// to a workbook named after the file and their times; the Excel button still writes all.
void tst_Following::rangeBetweenTheCursorsIsExported()
{
    const QString exports = m_dir->filePath(QStringLiteral("exports"));
    QVERIFY(QDir().mkpath(exports));
    m_window->setExportFolder(exports);
    QStringList opened;
    m_window->setWorkbookOpener([&opened](const QString &path) {
        opened << path;
        return true;
    });
    QPushButton *button = find<QPushButton>("btnRangeExport");
    QVERIFY(!button->isEnabled());
    clickRecord(40);
    QVERIFY(!button->isEnabled());
    clickRecord(20);
    QVERIFY(button->isEnabled());
    QSignalSpy finished(m_window.get(), &frmZQ410_GraphView::exportFinished);
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(finished.first().at(0).toBool());
    const QString workbook = finished.first().at(1).toString();
    QCOMPARE(workbook, exports + QStringLiteral("/ZQ410_01 12.00.20-12.00.40.xlsx"));
    QCOMPARE(opened, QStringList{workbook});
    const QJsonObject book = ReadWorkbook::readBack(workbook);
    QCOMPARE(ReadWorkbook::cell(book, "Graph Data", "B2").at(1), QStringLiteral("12:00:20"));
    QCOMPARE(ReadWorkbook::cell(book, "Graph Data", "D2").at(1), QStringLiteral("30"));
    QCOMPARE(ReadWorkbook::cell(book, "Graph Data", "B22").at(1), QStringLiteral("12:00:40"));
    QVERIFY(ReadWorkbook::cell(book, "Graph Data", "A23").isEmpty());
    QVERIFY(button->isEnabled());
}

/// A second run (a record every 2 s from 08:00:00, from 30.0 up by 0.1 a record, 160 s) drawn
/// over the shown one (a record a second, 100 s) from their first records.
void tst_Following::ctrlClickComparesAnotherRunUntilEnded()
{
    QByteArray other;
    for (int k = 0; k < 80; ++k)
        other += QStringLiteral("2024-04-01\t08:%1:%2\t50.0\t%3\t24.0\r\n")
                     .arg(2 * k / 60, 2, 10, QLatin1Char('0'))
                     .arg(2 * k % 60, 2, 10, QLatin1Char('0'))
                     .arg(30.0 + 0.1 * k, 0, 'f', 1)
                     .toLatin1();
    QFile file(QFileInfo(m_path).dir().filePath(QStringLiteral("ZQ410_01_OLD.DAT")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(other);
    file.close();
    auto *list = find<QListWidget>("File1");
    QTRY_COMPARE(list->count(), 2);
    QListWidgetItem *item =
        list->findItems(QStringLiteral("ZQ410_01_OLD.DAT"), Qt::MatchExactly).first();
    QSignalSpy loaded(m_window.get(), &frmZQ410_GraphView::loadFinished);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(item).center());
    QTRY_COMPARE(loaded.size(), 1);
    QVERIFY(loaded.first().at(0).toBool());
    QVERIFY(!item->isSelected()); // the shown file stays the shown one
    QCOMPARE(chart().data().size(), qsizetype(100));
    QCOMPARE(chart().comparisonName(), QStringLiteral("ZQ410_01_OLD.DAT"));
    QCOMPARE(plot().legend->itemCount(), 6);
    QCOMPARE(plot().graph(4)->name(), QStringLiteral("제어온도 (ZQ410_01_OLD.DAT)"));
    QCOMPARE(plot().graph(4)->pen().style(), Qt::DashLine);
    QCOMPARE(chart().title(TrendChart::Title::Bottom), QStringLiteral("경과 시간"));
    // The view spans the longer run; the axis counts elapsed time.
    QCOMPARE(chart().xLast(), 158.0);
    chart().redraw();
    const QStringList labels = chart().timeAxisLabels();
    QVERIFY2(labels.contains(QStringLiteral("0:01:00")), qPrintable(labels.join(' ')));
    for (const QString &label : labels)
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+:\\d\\d:\\d\\d$")).match(label).hasMatch(),
                 qPrintable(label));
    // The second run's record k stands where 2k seconds have passed on the first: record 2k.
    bool found = false;
    for (const QCPGraphData &point : *plot().graph(4)->data()) {
        if (point.key == 20.0) {
            QCOMPARE(point.value, 31.0);
            found = true;
        }
    }
    QVERIFY(found);

    // Cursors and statistics read both runs at the same elapsed time.
    clickRecord(10);
    clickRecord(70);
    const QList<QStringList> table = chart().cursors().tableRows();
    const qsizetype column = table[0].indexOf(QStringLiteral("제어온도 (비교)"));
    QVERIFY2(column > 0, qPrintable(table[0].join(',')));
    QCOMPARE(table[1][column], QStringLiteral("30.5"));
    QCOMPARE(table[2][column], QStringLiteral("33.5"));
    QCOMPARE(table[3][column], QStringLiteral("3.0"));
    QTest::mouseClick(find<QCheckBox>("chbStatistics"), Qt::LeftButton, {}, QPoint(6, 8));
    QCOMPARE(statisticsOf("제어온도 (비교)").mid(0, 4),
             (QStringList{"제어온도 (비교)", "31", "30.5", "08:00:10"}));
    QCOMPARE(statisticsOf("제어온도").at(1), QStringLiteral("61"));

    // "비교 끝": the first run alone, on its clock again.
    QPushButton *end = find<QPushButton>("btnEndCompare");
    QVERIFY(end->isVisible());
    QTest::mouseClick(end, Qt::LeftButton);
    QCOMPARE(chart().comparison(), nullptr);
    QVERIFY(!end->isVisible());
    QCOMPARE(plot().legend->itemCount(), 3);
    QCOMPARE(chart().xLast(), 99.0);
    QCOMPARE(chart().title(TrendChart::Title::Bottom), QStringLiteral("시간"));
    chart().redraw();
    QVERIFY2(chart().timeAxisLabels().first().startsWith(QStringLiteral("12:")),
             qPrintable(chart().timeAxisLabels().join(' ')));
    QVERIFY(statisticsOf("제어온도 (비교)").isEmpty());
}

QTEST_MAIN(tst_Following)
#include "tst_following.moc"
