#include "AlarmJournal.h"
#include "ElidedLabel.h"
#include "FindControl.h"
#include "FolderPicker.h"
#include "GradientLabel.h"
#include "ModalAnswer.h"
#include "NumberEdit.h"
#include "TestFiles.h"
#include "TrendChart.h"
#include "WindowCall.h"
#include "frmZQ410_GraphView.h"
#include <qcustomplot.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

/// A viewer with its own program folder and a default data folder inside a temporary folder.
/// The viewer's chart ChartFX1.
static TrendChart *chartOf(const QWidget &window)
{
    return control<TrendChart>(window, QStringLiteral("ChartFX1"));
}

struct Viewer
{
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("program"));
    QString defaultData = dir.filePath(QStringLiteral("home/ZQ410_DATA"));
    std::unique_ptr<frmZQ410_GraphView> window;

    Viewer() { QDir().mkpath(program); }
    void write(const QString &path, const QByteArray &bytes)
    {
        QVERIFY(TestFiles::write(path, bytes));
    }
    frmZQ410_GraphView &start()
    {
        window = std::make_unique<frmZQ410_GraphView>(program, defaultData);
        window->show();
        return *window;
    }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < control<QListWidget>(*window, QStringLiteral("File1"))->count(); ++i)
            names.append(control<QListWidget>(*window, QStringLiteral("File1"))->item(i)->text());
        return names;
    }
    static QByteArray lines(int count)
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes += "2024-05-01\t12:00:" + QByteArray::number(i % 60).rightJustified(2, '0') +
                     "\t60.0\t" + QByteArray::number(20 + i) + "\t25.3\r\n";
        return bytes;
    }
};

class tst_GraphView : public QObject
{
    Q_OBJECT

private slots:
    void folderConfigDecidesTheDataFolder();
    void listShowsDatFilesWhateverTheirCase();
    void selectingAFileLoadsItWholeAndReplacesTheLast();
    void unreadableFileKeepsTheChart();
    void colourFileCases();
    void colourChoiceIsSavedAndCancelChangesNothing();
    void hiddenSeriesSurvivesARestart();
    void optionsSurviveAnotherLoad();
    void yRangeBoxesAndBorderSwatch();
    void folderPickerWritesFolderConfigAndRefreshesTheList();
    void helpButtonOpensTheViewersHelpPage();
    void alarmBannerFollowsTheJournalAndCallsTheMonitor();
};

void tst_GraphView::folderConfigDecidesTheDataFolder()
{
    {
        Viewer v; // no Folder.CFG, no default folder
        frmZQ410_GraphView &w = v.start();
        QCOMPARE(w.windowTitle(), QStringLiteral("ZQ410 - Graph Viwer V1.0.0"));
        QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblFolder"))->text(), v.defaultData);
        QVERIFY(QDir(v.defaultData).exists());
        QVERIFY(v.listed().isEmpty());
        QVERIFY(control<QPushButton>(w, QStringLiteral("btnToExcel"))->isEnabled());
        QVERIFY(control<QPushButton>(w, QStringLiteral("Command1"))->isEnabled());
    }
    {
        Viewer v;
        v.write(v.program + QStringLiteral("/Folder.CFG"), QByteArray());
        QCOMPARE(control<GradientLabel>(v.start(), QStringLiteral("lblFolder"))->text(),
                 v.defaultData);
    }
    {
        Viewer v;
        v.write(v.program + QStringLiteral("/Folder.CFG"),
                v.dir.filePath(QStringLiteral("deleted")).toLocal8Bit() + "\r\n");
        QCOMPARE(control<GradientLabel>(v.start(), QStringLiteral("lblFolder"))->text(),
                 v.defaultData);
        QVERIFY(!QDir(v.dir.filePath(QStringLiteral("deleted"))).exists());
    }
    {
        Viewer v;
        const QString data = v.dir.filePath(QStringLiteral("line A"));
        v.write(data + QStringLiteral("/ZQ410_01.DAT"), Viewer::lines(3));
        v.write(v.program + QStringLiteral("/Folder.CFG"), data.toLocal8Bit() + "\r\nignored\r\n");
        frmZQ410_GraphView &w = v.start();
        QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblFolder"))->text(), data);
        QCOMPARE(v.listed(), QStringList{QStringLiteral("ZQ410_01.DAT")});
        QVERIFY(!QDir(v.defaultData).exists());
    }
    {
        // Without a folder of its own, the folder the monitor beside it records to (its
        // SaveData.INI's fourth line), while that folder exists.
        Viewer v;
        const QString recorded = v.dir.filePath(QStringLiteral("kiln line"));
        v.write(recorded + QStringLiteral("/ZQ410_03.DAT"), Viewer::lines(3));
        v.write(v.program + QStringLiteral("/CFG/SaveData.INI"),
                "Yes\r\n1\r\n\xC3\xCA\r\n" + recorded.toLocal8Bit() + "\r\nZQ410\r\n");
        frmZQ410_GraphView &w = v.start();
        QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblFolder"))->text(), recorded);
        QCOMPARE(v.listed(), QStringList{QStringLiteral("ZQ410_03.DAT")});
        QVERIFY(QDir(recorded).removeRecursively());
        Viewer again;
        again.write(again.program + QStringLiteral("/CFG/SaveData.INI"),
                    "Yes\r\n1\r\n\xC3\xCA\r\n" + recorded.toLocal8Bit() + "\r\nZQ410\r\n");
        QCOMPARE(control<GradientLabel>(again.start(), QStringLiteral("lblFolder"))->text(),
                 again.defaultData);
    }
    {
        // The empty chart says what to do, never a placeholder word.
        Viewer v;
        QCOMPARE(chartOf(v.start())->emptyText(),
                 QStringLiteral("왼쪽 파일 목록에서 트렌드 파일을 고르면 여기에 그려집니다."));
        TrendChart bare;
        QCOMPARE(bare.emptyText(), QString());
    }
}

void tst_GraphView::listShowsDatFilesWhateverTheirCase()
{
    Viewer v;
    for (const char *name : {"ZQ410_02.DAT", "old_01.dat", "notes.txt", "ZQ410_01.DAT"})
        v.write(v.defaultData + QLatin1Char('/') + QLatin1String(name), Viewer::lines(1));
    v.start();
    QCOMPARE(v.listed(), QStringList({QStringLiteral("old_01.dat"), QStringLiteral("ZQ410_01.DAT"),
                                      QStringLiteral("ZQ410_02.DAT")}));
}

void tst_GraphView::selectingAFileLoadsItWholeAndReplacesTheLast()
{
    Viewer v;
    v.write(v.defaultData + QStringLiteral("/A.DAT"), Viewer::lines(100));
    v.write(v.defaultData + QStringLiteral("/B.DAT"), Viewer::lines(10));
    frmZQ410_GraphView &w = v.start();
    QCOMPARE(chartOf(w)->data().size(), qsizetype(0));
    control<QListWidget>(w, QStringLiteral("File1"))->setCurrentRow(0); // as a click does
    QTRY_COMPARE(chartOf(w)->data().size(), qsizetype(100));
    QTRY_VERIFY(w.centralWidget()->isEnabled());
    QCOMPARE(chartOf(w)->data().value(1, 99), 119.0f);
    QCOMPARE(chartOf(w)->data().label(5), QStringLiteral("12:00:05"));
    QCOMPARE(chartOf(w)->xLast(), 99.0);
    control<QListWidget>(w, QStringLiteral("File1"))->setCurrentRow(1);
    QTRY_COMPARE(chartOf(w)->data().size(), qsizetype(10));
    QCOMPARE(chartOf(w)->title(TrendChart::Title::Left), QStringLiteral("온도(℃)"));

    // The arrow keys go on walking the list: the focus stays in it through each load.
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    control<QListWidget>(w, QStringLiteral("File1"))->setFocus();
    QTest::keyClick(control<QListWidget>(w, QStringLiteral("File1")), Qt::Key_Up);
    QTRY_COMPARE(chartOf(w)->data().size(), qsizetype(100));
    QTRY_VERIFY(w.centralWidget()->isEnabled());
    QVERIFY(control<QListWidget>(w, QStringLiteral("File1"))->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTRY_COMPARE(chartOf(w)->data().size(), qsizetype(10));
    QCOMPARE(chartOf(w)->title(TrendChart::Title::Bottom), QStringLiteral("시간"));
}

void tst_GraphView::unreadableFileKeepsTheChart()
{
    Viewer v;
    v.write(v.defaultData + QStringLiteral("/A.DAT"), Viewer::lines(7));
    frmZQ410_GraphView &w = v.start();
    QVERIFY(w.LoadTrendFile(v.defaultData + QStringLiteral("/A.DAT")));
    QString shown;
    whenModal([&shown](QWidget *box) {
        shown = box->windowTitle();
        box->close();
    });
    QVERIFY(!w.LoadTrendFile(v.defaultData + QStringLiteral("/gone.DAT")));
    QCOMPARE(shown, QStringLiteral("ZQ410_Graph"));
    QCOMPARE(chartOf(w)->data().size(), qsizetype(7));
    QVERIFY(w.centralWidget()->isEnabled());
}

void tst_GraphView::colourFileCases()
{
    Viewer first;
    frmZQ410_GraphView &defaults = first.start();
    const QColor chartDefault2 = chartOf(defaults)->seriesColor(2);
    QCOMPARE(control<QTableWidget>(defaults, QStringLiteral("sprdColor_Graph"))
                 ->item(0, 2)
                 ->background()
                 .color(),
             chartDefault2);

    Viewer v;
    v.write(v.program + QStringLiteral("/ChartColor.CFG"), "2,255\r\n1,16711680\r\n");
    frmZQ410_GraphView &w = v.start();
    QCOMPARE(chartOf(w)->seriesColor(1), QColor(255, 0, 0));
    QCOMPARE(chartOf(w)->seriesColor(0), QColor(0, 0, 255));
    QCOMPARE(chartOf(w)->seriesColor(2), chartDefault2);
    QCOMPARE(control<QTableWidget>(w, QStringLiteral("sprdColor_Graph"))
                 ->item(0, 1)
                 ->background()
                 .color(),
             QColor(255, 0, 0));

    Viewer bad;
    bad.write(bad.program + QStringLiteral("/ChartColor.CFG"), "1,65280\r\n4,255\r\n3,255\r\n");
    frmZQ410_GraphView &b = bad.start();
    QCOMPARE(chartOf(b)->seriesColor(0), QColor(0, 255, 0)); // applied before the bad line
    QCOMPARE(chartOf(b)->seriesColor(2),
             chartDefault2); // not after it
    for (int c = 0; c < 3; ++c)
        QCOMPARE(control<QTableWidget>(b, QStringLiteral("sprdColor_Graph"))
                     ->item(0, c)
                     ->background()
                     .color(),
                 chartOf(b)->seriesColor(c));
}

void tst_GraphView::colourChoiceIsSavedAndCancelChangesNothing()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    auto answer = [](const QColor &colour, bool accept) {
        QTimer::singleShot(0, [colour, accept] {
            auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setCurrentColor(colour);
            accept ? dialog->accept() : dialog->reject();
        });
    };
    const QRect cell =
        control<QTableWidget>(w, QStringLiteral("sprdColor_Graph"))
            ->visualItemRect(
                control<QTableWidget>(w, QStringLiteral("sprdColor_Graph"))->item(0, 2));
    answer(QColor(1, 2, 3), true);
    QTest::mouseClick(control<QTableWidget>(w, QStringLiteral("sprdColor_Graph"))->viewport(),
                      Qt::LeftButton, {}, cell.center());
    QCOMPARE(chartOf(w)->seriesColor(2), QColor(1, 2, 3));
    QFile file(v.program + QStringLiteral("/ChartColor.CFG"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY(saved.endsWith("3,197121\r\n")); // 1 + 256 x 2 + 65536 x 3
    answer(QColor(9, 9, 9), false);
    QTest::mouseClick(control<QTableWidget>(w, QStringLiteral("sprdColor_Graph"))->viewport(),
                      Qt::LeftButton, {}, cell.center());
    QCOMPARE(chartOf(w)->seriesColor(2), QColor(1, 2, 3));
}

void tst_GraphView::hiddenSeriesSurvivesARestart()
{
    Viewer v;
    {
        frmZQ410_GraphView &w = v.start();
        QVERIFY(chartOf(w)->isSeriesVisible(2));
        control<QTableWidget>(w, QStringLiteral("sprdUseItem"))
            ->item(0, 2)
            ->setCheckState(Qt::Unchecked); // as a click on the check box
        QVERIFY(!chartOf(w)->isSeriesVisible(2));
    }
    frmZQ410_GraphView &again = v.start();
    QVERIFY(!chartOf(again)->isSeriesVisible(2));
    QVERIFY(chartOf(again)->isSeriesVisible(0));
    QCOMPARE(control<QTableWidget>(again, QStringLiteral("sprdUseItem"))->item(0, 2)->checkState(),
             Qt::Unchecked);
    v.write(v.program + QStringLiteral("/UseItem.CFG"), "not a grid\r\n");
    frmZQ410_GraphView &broken = v.start();
    QVERIFY(chartOf(broken)->isSeriesVisible(2));

    // UseItem.CFG cannot be written (a folder in its place): the series still hides for this
    // run and the operator is told what was not saved and where.
    QVERIFY(QFile::remove(v.program + QStringLiteral("/UseItem.CFG")));
    QVERIFY(QDir().mkpath(v.program + QStringLiteral("/UseItem.CFG")));
    {
        MessageBoxAnswer answer(QMessageBox::Ok);
        control<QTableWidget>(broken, QStringLiteral("sprdUseItem"))
            ->item(0, 0)
            ->setCheckState(Qt::Unchecked);
        QVERIFY(!chartOf(broken)->isSeriesVisible(0));
        QTRY_VERIFY(!answer.text.isEmpty());
        QVERIFY2(answer.text.startsWith(QStringLiteral("표시 항목을(를) 파일에 저장하지")),
                 qPrintable(answer.text));
        QVERIFY(answer.text.contains(QStringLiteral("UseItem.CFG")));
    }
    QVERIFY(QDir(v.program + QStringLiteral("/UseItem.CFG")).removeRecursively());

    // A click leaves no highlighted (blue-tinted) cell behind in the visibility grid.
    QApplication::setActiveWindow(&broken);
    QVERIFY(QTest::qWaitForWindowActive(&broken));
    QTableWidget *grid = control<QTableWidget>(broken, QStringLiteral("sprdUseItem"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(0, 1)).center());
    const QImage picture = grid->grab().toImage();
    int highlighted = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            highlighted += c.blue() > c.red() + 30 && c.blue() > c.green() + 10; // any blue tint
        }
    }
    QCOMPARE(highlighted, 0);

    // The margin grid's headers and a two-digit margin fit their columns.
    QTableWidget *margins = control<QTableWidget>(broken, QStringLiteral("sprdMargin"));
    margins->item(0, 1)->setText(QStringLiteral("10.00"));
    const QFontMetrics header(margins->horizontalHeader()->font());
    const QFontMetrics cell(margins->font());
    for (int c = 0; c < 4; ++c) {
        const int width = margins->horizontalHeader()->sectionSize(c);
        QVERIFY(width >= header.horizontalAdvance(margins->horizontalHeaderItem(c)->text()));
        QVERIFY(width >= cell.horizontalAdvance(QStringLiteral("10.00")) + 2);
    }
}

void tst_GraphView::optionsSurviveAnotherLoad()
{
    Viewer v;
    v.write(v.defaultData + QStringLiteral("/A.DAT"), Viewer::lines(50));
    v.write(v.defaultData + QStringLiteral("/B.DAT"), Viewer::lines(20));
    frmZQ410_GraphView &w = v.start();
    QVERIFY(chartOf(w)->is3D());
    QVERIFY(chartOf(w)->isZoomEnabled());
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chb3D")), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chbScroll")), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chbBorder")), Qt::LeftButton);
    control<QComboBox>(w, QStringLiteral("cmbThick"))->setCurrentIndex(1);
    emit control<QComboBox>(w, QStringLiteral("cmbThick"))->activated(1);
    control<QLineEdit>(w, QStringLiteral("txtG_Title"))->setText(QStringLiteral("Line 2"));
    emit control<QLineEdit>(w, QStringLiteral("txtG_Title"))->editingFinished();
    QVERIFY(w.LoadTrendFile(v.defaultData + QStringLiteral("/A.DAT")));
    QVERIFY(w.LoadTrendFile(v.defaultData + QStringLiteral("/B.DAT")));
    QVERIFY(!chartOf(w)->is3D());
    QVERIFY(chartOf(w)->isScrollBarVisible());
    QVERIFY(chartOf(w)->isBorderVisible());
    QCOMPARE(chartOf(w)->lineWidth(), 2);
    QCOMPARE(chartOf(w)->title(TrendChart::Title::Top), QStringLiteral("Line 2"));
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chbZoom")), Qt::LeftButton);
    QVERIFY(!chartOf(w)->isZoomEnabled());
}

void tst_GraphView::yRangeBoxesAndBorderSwatch()
{
    Viewer v;
    v.write(v.defaultData + QStringLiteral("/A.DAT"), Viewer::lines(50));
    frmZQ410_GraphView &w = v.start();
    QVERIFY(w.LoadTrendFile(v.defaultData + QStringLiteral("/A.DAT")));
    QVERIFY(!control<NumberEdit>(w, QStringLiteral("txtYMax"))->isVisible());
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chbYaxis")), Qt::LeftButton);
    QVERIFY(control<NumberEdit>(w, QStringLiteral("txtYMax"))->isVisible() &&
            control<NumberEdit>(w, QStringLiteral("txtYMin"))->isVisible());
    // The boxes open on the range in force, not on a number of their own.
    QCOMPARE(control<NumberEdit>(w, QStringLiteral("txtYMax"))->text().toDouble(),
             chartOf(w)->yMax());
    QCOMPARE(control<NumberEdit>(w, QStringLiteral("txtYMin"))->text().toDouble(),
             chartOf(w)->yMin());
    control<NumberEdit>(w, QStringLiteral("txtYMax"))->setText(QStringLiteral("50"));
    QTest::keyClick(control<NumberEdit>(w, QStringLiteral("txtYMax")), Qt::Key_Return);
    control<NumberEdit>(w, QStringLiteral("txtYMin"))->setText(QStringLiteral("-10"));
    QTest::keyClick(control<NumberEdit>(w, QStringLiteral("txtYMin")), Qt::Key_Return);
    QCOMPARE(chartOf(w)->yMax(), 50.0);
    QCOMPARE(chartOf(w)->yMin(), -10.0);

    // A dragged zoom and its reset by double-click keep the operator's range in force.
    auto *plot = chartOf(w)->findChild<QCustomPlot *>();
    const QRect area = plot->axisRect()->rect();
    QTest::mousePress(plot, Qt::LeftButton, {}, area.topLeft() + QPoint(40, 40));
    QTest::mouseMove(plot, area.center());
    QTest::mouseRelease(plot, Qt::LeftButton, {}, area.center());
    QVERIFY(chartOf(w)->xLast() < 49);
    QCOMPARE(chartOf(w)->yMax(), 50.0);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, area.center());
    QCOMPARE(chartOf(w)->xLast(), 49.0);
    QCOMPARE(chartOf(w)->yMax(), 50.0);
    QCOMPARE(chartOf(w)->yMin(), -10.0);
    QCOMPARE(control<NumberEdit>(w, QStringLiteral("txtYMax"))->text(), QStringLiteral("50"));

    // Unchecked, the axis follows the data again.
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chbYaxis")), Qt::LeftButton);
    chartOf(w)->redraw();
    QVERIFY(chartOf(w)->yMax() != 50.0);

    // With the border off the swatch opens nothing; with it on, the colour dialog.
    bool opened = false;
    QTimer::singleShot(50, [&opened] {
        if (auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    QTest::mouseClick(control<GradientLabel>(w, QStringLiteral("lblColor_Border")), Qt::LeftButton);
    QTest::qWait(100);
    QVERIFY(!opened);
    QTest::mouseClick(control<QCheckBox>(w, QStringLiteral("chbBorder")), Qt::LeftButton);
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setCurrentColor(QColor(0, 128, 0));
        dialog->accept();
    });
    QTest::mouseClick(control<GradientLabel>(w, QStringLiteral("lblColor_Border")), Qt::LeftButton);
    QCOMPARE(chartOf(w)->borderColor(), QColor(0, 128, 0));
}

void tst_GraphView::folderPickerWritesFolderConfigAndRefreshesTheList()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    const QString other = v.dir.filePath(QStringLiteral("other"));
    v.write(other + QStringLiteral("/X_01.DAT"), Viewer::lines(2));
    QTimer::singleShot(0, [&] {
        auto *picker = qobject_cast<FolderPicker *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QCOMPARE(picker->folder(), v.program); // the viewer's picker starts at its own folder
        picker->openFolder(other);
        QTest::mouseClick(picker->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(control<GradientLabel>(w, QStringLiteral("lblFolder")), Qt::LeftButton);
    QCOMPARE(control<GradientLabel>(w, QStringLiteral("lblFolder"))->text(), other);
    QVERIFY(v.listed().isEmpty()); // the list follows 50 ms later
    QTRY_COMPARE(v.listed(), QStringList{QStringLiteral("X_01.DAT")});
    QFile config(v.program + QStringLiteral("/Folder.CFG"));
    QVERIFY(config.open(QIODevice::ReadOnly));
    QCOMPARE(config.readAll(), other.toLocal8Bit() + "\r\n");
}

void tst_GraphView::helpButtonOpensTheViewersHelpPage()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    const QString page = v.dir.filePath(QStringLiteral("exe/Help/12-viewer.html"));
    v.write(page, "<html></html>");
    QList<QUrl> opened;
    w.setDocumentFolder(v.dir.filePath(QStringLiteral("exe")));
    w.setDocumentOpener([&opened](const QUrl &url) {
        opened.append(url);
        return true;
    });
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(page)});
}

/// Alarms the monitor journals while the viewer is open show in its banner until they are
/// acknowledged; a click asks the monitor to come forward and says so when none runs. The
/// viewer answers a call of its own program folder, so the monitor's "그래프 뷰어" brings it
/// forward instead of starting a second.
void tst_GraphView::alarmBannerFollowsTheJournalAndCallsTheMonitor()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    auto *banner = control<ElidedLabel>(w, QStringLiteral("lblAlarm"));
    QVERIFY(banner->isHidden());
    AlarmTransition high{
        QDateTime::currentDateTime(), 2, AlarmKind::High, AlarmStep::Raised, QStringLiteral("65.0"),
        QStringLiteral("60.0")};
    QVERIFY(AlarmJournal::append(v.defaultData, high, QStringLiteral("Oven B")));
    QTRY_VERIFY_WITH_TIMEOUT(banner->isVisible(), 5000);
    QVERIFY2(banner->fullText().startsWith(QStringLiteral("경보 1건 미확인 — 최근: ")) &&
                 banner->fullText().endsWith(QStringLiteral(" 02 상한 경보")),
             qPrintable(banner->fullText()));

    MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(banner, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(answer.text.startsWith(QStringLiteral("모니터(ZQ410)가 실행 중이 "
                                                                   "아닙니다.")),
                             5000);

    QVERIFY(WindowCall::ask(QStringLiteral("ZQ410_Graph"), v.program));
    QVERIFY(!WindowCall::ask(QStringLiteral("ZQ410_Graph"), v.dir.filePath("elsewhere")));

    high.step = AlarmStep::Acknowledged;
    QVERIFY(AlarmJournal::append(v.defaultData, high, QStringLiteral("Oven B")));
    QTRY_VERIFY_WITH_TIMEOUT(banner->isHidden(), 5000);
}

QTEST_MAIN(tst_GraphView)
#include "tst_graphview.moc"
