#include "ChartCursors.h"
#include "Cp949.h"
#include "FindControl.h"
#include "TrendChart.h"
#include "frmZQ410_GraphView.h"
#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

/// The viewer following a file the monitor records, and reading it with the cursors.
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

QTEST_MAIN(tst_Following)
#include "tst_following.moc"
