#include "FindControl.h"
#include "FrmScreenCapture.h"
#include "GradientLabel.h"
#include "ModalAnswer.h"
#include "ReadWorkbook.h"
#include "TestFiles.h"
#include "TrendChart.h"
#include "TrendExport.h"
#include "frmZQ410_GraphView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

/// The viewer's chart ChartFX1.
static TrendChart *chartOf(const QWidget &window)
{
    return control<TrendChart>(window, QStringLiteral("ChartFX1"));
}

namespace {

using TestFiles::write;

using ReadWorkbook::cell;
using ReadWorkbook::readBack;

const QByteArray ThreeLines = "2024-03-07\t14:05:09\t60.0\t58.7\t25.3\r\n"
                              "2024-03-07\t14:05:10\t60.0\t-1.5\tabc\r\n"
                              "2024-03-07\t14:05:11\t60\t58.9\t25.5\textra\t7\r\n";

} // namespace

/// A viewer on a data folder with one trend file selected.
struct Viewer
{
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("program"));
    QString data = dir.filePath(QStringLiteral("data"));
    QString exports = dir.filePath(QStringLiteral("tmp"));
    std::unique_ptr<frmZQ410_GraphView> window;
    QStringList opened;

    Viewer()
    {
        QDir().mkpath(program);
        QDir().mkpath(exports);
        write(program + QStringLiteral("/Folder.CFG"), data.toLocal8Bit() + "\r\n");
        write(data + QStringLiteral("/ZQ410_01.DAT"), ThreeLines);
    }
    frmZQ410_GraphView &start()
    {
        // A folder text of the window's own (not shared with this fixture), so that a use of
        // it after the window's members are gone is seen by the address sanitizer.
        const QString ownFolder(program.constData(), program.size());
        window = std::make_unique<frmZQ410_GraphView>(ownFolder, dir.filePath("home"));
        window->setExportFolder(exports);
        window->setWorkbookOpener([this](const QString &path) {
            opened.append(path);
            return true;
        });
        window->show();
        return *window;
    }
    void selectFile()
    {
        control<QListWidget>(*window, QStringLiteral("File1"))->setCurrentRow(0);
        QTRY_VERIFY(!window->isLoading());
        QTRY_VERIFY(window->centralWidget()->isEnabled());
    }
};

class tst_Outputs : public QObject
{
    Q_OBJECT

private slots:
    void marginsGoToThePrintoutInInches();
    void marginsAreStoredWhenTheGridLosesFocus();
    void printsOneLandscapePageInsideTheMargins();
    void exportWritesTheSheetReadableByARealReader();
    void exportSplitsPastTheRowLimitAndNamesColumnsPastZ();
    void exportOfARangeWritesItsRecordsOnly();
    void exportWithNoFileOrAnUnwritableFolder();
    void exportFollowsNoLinkAndKeepsWorkbooksPrivate();
    void captureIsTheChartOnTheClipboardAndABmpFile();
    void captureDialogAsksForABmpFileAndCancelSavesNothing();
};

void tst_Outputs::marginsGoToThePrintoutInInches()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    QCOMPARE(control<QTableWidget>(w, QStringLiteral("sprdMargin"))->item(0, 0)->text(),
             QStringLiteral("0.00"));
    const QStringList mm = {"10", "10", "15", "15"};
    for (int c = 0; c < 4; ++c)
        control<QTableWidget>(w, QStringLiteral("sprdMargin"))->item(0, c)->setText(mm[c]);
    QCOMPARE(w.marginsMm(), (PrintPage::MarginsMm{10, 10, 15, 15}));
    control<QTableWidget>(w, QStringLiteral("sprdMargin"))->item(0, 2)->setText(QString());
    QCOMPARE(w.marginsMm()[2], 0.0);
}

void tst_Outputs::marginsAreStoredWhenTheGridLosesFocus()
{
    Viewer v;
    {
        frmZQ410_GraphView &w = v.start();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        control<QTableWidget>(w, QStringLiteral("sprdMargin"))->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(control<QTableWidget>(w, QStringLiteral("sprdMargin"))->hasFocus());
        control<QTableWidget>(w, QStringLiteral("sprdMargin"))
            ->item(0, 1)
            ->setText(QStringLiteral("12.50"));
        QVERIFY(!QFile::exists(v.program + QStringLiteral("/PrintMargin.CFG")));
        control<QLineEdit>(w, QStringLiteral("txtG_Title"))->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(QFile::exists(v.program + QStringLiteral("/PrintMargin.CFG")));
    }
    frmZQ410_GraphView &again = v.start();
    QCOMPARE(control<QTableWidget>(again, QStringLiteral("sprdMargin"))->item(0, 1)->text(),
             QStringLiteral("12.50"));
    QCOMPARE(again.marginsMm()[1], 12.5);

    // Destroyed with the focus still in the grid: stored by the whole window, not a torn one.
    QApplication::setActiveWindow(&again);
    QVERIFY(QTest::qWaitForWindowActive(&again));
    control<QTableWidget>(again, QStringLiteral("sprdMargin"))->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(control<QTableWidget>(again, QStringLiteral("sprdMargin"))->hasFocus());
    control<QTableWidget>(again, QStringLiteral("sprdMargin"))
        ->item(0, 1)
        ->setText(QStringLiteral("7.00"));
    v.window.reset();
    QCOMPARE(control<QTableWidget>(v.start(), QStringLiteral("sprdMargin"))->item(0, 1)->text(),
             QStringLiteral("7.00"));
}

void tst_Outputs::printsOneLandscapePageInsideTheMargins()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    v.selectFile();
    for (int c = 0; c < 4; ++c)
        control<QTableWidget>(w, QStringLiteral("sprdMargin"))
            ->item(0, c)
            ->setText(QStringLiteral("25"));
    const QString pdf = v.dir.filePath(QStringLiteral("chart.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QVERIFY(w.printTo(printer));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished(10000));
    const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
    QVERIFY2(text.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(text));
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+)").match(text);
    QVERIFY(size.hasMatch());
    QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble()); // landscape

    // At 36 dpi the 25 mm margins are about 35 pixels: white there, the chart inside.
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("36"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, v.dir.filePath(QStringLiteral("page"))});
    QVERIFY(render.waitForFinished(10000));
    const QImage page(v.dir.filePath(QStringLiteral("page.png")));
    QVERIFY(!page.isNull());
    auto inkIn = [&page](const QRect &area) {
        int ink = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ink += page.pixelColor(x, y) != QColor(Qt::white);
        return ink;
    };
    const int margin = 30;
    QCOMPARE(inkIn({0, 0, margin, page.height()}), 0);
    QCOMPARE(inkIn({0, 0, page.width(), margin}), 0);
    QCOMPARE(inkIn({page.width() - margin, 0, margin, page.height()}), 0);
    QCOMPARE(inkIn({0, page.height() - margin, page.width(), margin}), 0);
    QVERIFY(inkIn(page.rect().adjusted(margin, margin, -margin, -margin)) > 1000);
}

void tst_Outputs::exportWritesTheSheetReadableByARealReader()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    v.selectFile();
    QSignalSpy finished(&w, &frmZQ410_GraphView::exportFinished);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnToExcel")), Qt::LeftButton);
    QVERIFY(control<GradientLabel>(w, QStringLiteral("lblMsg"))->isVisible());
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!control<GradientLabel>(w, QStringLiteral("lblMsg"))->isVisible());
    QVERIFY(finished.first().at(0).toBool());
    const QString workbook = finished.first().at(1).toString();
    QCOMPARE(workbook, v.exports + QStringLiteral("/ZQ410_01.xlsx"));
    QCOMPARE(v.opened, QStringList{workbook});
    QVERIFY(!QFile::exists(workbook + QStringLiteral(".part")));

    const QJsonObject book = readBack(workbook);
    QCOMPARE(book.keys(), QStringList{QStringLiteral("Graph Data")});
    QCOMPARE(cell(book, "Graph Data", "A1").at(1), QStringLiteral("저장일자"));
    QCOMPARE(cell(book, "Graph Data", "B1").at(1), QStringLiteral("저장시간"));
    QCOMPARE(cell(book, "Graph Data", "C1").at(1), QStringLiteral("SV"));
    QCOMPARE(cell(book, "Graph Data", "D1").at(1), QStringLiteral("제어온도"));
    QCOMPARE(cell(book, "Graph Data", "E1").at(1), QStringLiteral("보조온도"));
    QCOMPARE(cell(book, "Graph Data", "A2"),
             QStringList({"datetime", "2024-03-07 00:00:00", "yyyy-mm-dd"}));
    QCOMPARE(cell(book, "Graph Data", "B2"), QStringList({"time", "14:05:09", "hh:mm:ss"}));
    QCOMPARE(cell(book, "Graph Data", "D2"), QStringList({"float", "58.7", "0.0"}));
    // 60.0 is stored as the number 60 and shown with its decimal: "60.0", not "60".
    QCOMPARE(cell(book, "Graph Data", "C2"), QStringList({"int", "60", "0.0"}));
    QCOMPARE(cell(book, "Graph Data", "C4").at(2), QStringLiteral("0"));
    QCOMPARE(cell(book, "Graph Data", "!freeze").at(1), QStringLiteral("A2"));
    for (const char *column : {"!width A", "!width B", "!width C"})
        QVERIFY(cell(book, "Graph Data", column).at(1).toDouble() >= 10);
    QCOMPARE(cell(book, "Graph Data", "D3").mid(0, 2), QStringList({"float", "-1.5"}));
    QCOMPARE(cell(book, "Graph Data", "E3").mid(0, 2), QStringList({"str", "abc"}));
    QCOMPARE(cell(book, "Graph Data", "C4").mid(0, 1), QStringList({"int"}));
    QCOMPARE(cell(book, "Graph Data", "F4").mid(0, 2), QStringList({"str", "extra"}));
    QCOMPARE(cell(book, "Graph Data", "G4").mid(0, 2), QStringList({"int", "7"}));
    QVERIFY(cell(book, "Graph Data", "A5").isEmpty());
    QVERIFY(cell(book, "Graph Data", "H4").isEmpty());

    // A second export does not replace the first workbook.
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnToExcel")), Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 2);
    QCOMPARE(finished.last().at(1).toString(), v.exports + QStringLiteral("/ZQ410_01 (2).xlsx"));
}

void tst_Outputs::exportSplitsPastTheRowLimitAndNamesColumnsPastZ()
{
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 1; i <= 5; ++i)
        lines += "2024-03-07\t14:05:0" + QByteArray::number(i) + "\t" + QByteArray::number(i) +
                 "\t1\t2\r\n";
    QByteArray wide = "2024-03-07\t14:05:00";
    for (int k = 2; k < 30; ++k)
        wide += "\t" + QByteArray::number(k);
    lines += wide + "\r\n";
    write(dir.filePath(QStringLiteral("t.DAT")), lines);
    const QString workbook = dir.filePath(QStringLiteral("t.xlsx"));
    // A sheet of three rows: the heading and two lines.
    const TrendExport::Result result =
        TrendExport::write(dir.filePath(QStringLiteral("t.DAT")), workbook, {}, 3);
    QVERIFY(result.ok);
    QCOMPARE(result.lines, qsizetype(6));
    const QJsonObject book = readBack(workbook);
    QCOMPARE(book.keys().size(), 3);
    QCOMPARE(cell(book, "Graph Data", "C3").at(1), QStringLiteral("2"));
    QCOMPARE(cell(book, "Graph Data (2)", "A1").at(1), QStringLiteral("저장일자"));
    QCOMPARE(cell(book, "Graph Data (2)", "C2").at(1), QStringLiteral("3"));
    QCOMPARE(cell(book, "Graph Data (3)", "C2").at(1), QStringLiteral("5"));
    QCOMPARE(cell(book, "Graph Data (3)", "Z3").at(1), QStringLiteral("25"));
    QCOMPARE(cell(book, "Graph Data (3)", "AA3").at(1), QStringLiteral("26"));
    QCOMPARE(cell(book, "Graph Data (3)", "AD3").at(1), QStringLiteral("29"));
    QCOMPARE(TrendExport::sheetName(1), QStringLiteral("Graph Data"));
    QCOMPARE(TrendExport::sheetName(3), QStringLiteral("Graph Data (3)"));
}

/// A range of records: lines that are not records (a heading, a cut line) are neither counted
/// nor written; the records from the first to the one before the last are.
void tst_Outputs::exportOfARangeWritesItsRecordsOnly()
{
    QTemporaryDir dir;
    QByteArray lines = "heading line\r\n";
    for (int i = 0; i < 8; ++i) {
        lines += "2024-03-07\t14:05:0" + QByteArray::number(i) + "\t" + QByteArray::number(i) +
                 "\t1\t2\r\n";
        if (i == 3)
            lines += "2024-03-07\t14:0\r\n"; // cut off
    }
    write(dir.filePath(QStringLiteral("t.DAT")), lines);
    const QString workbook = dir.filePath(QStringLiteral("t.xlsx"));
    const TrendExport::Result result =
        TrendExport::write(dir.filePath(QStringLiteral("t.DAT")), workbook, {},
                           TrendExport::SheetRowLimit, TrendExport::Records{2, 6});
    QVERIFY(result.ok);
    QCOMPARE(result.lines, qsizetype(4));
    const QJsonObject book = readBack(workbook);
    QCOMPARE(cell(book, "Graph Data", "A1").at(1), QStringLiteral("저장일자"));
    for (int row = 2; row <= 5; ++row)
        QCOMPARE(cell(book, "Graph Data", QStringLiteral("C%1").arg(row)).at(1),
                 QString::number(row));
    QVERIFY(cell(book, "Graph Data", "A6").isEmpty());
    QCOMPARE(TrendExport::newWorkbookPath(dir.path(), dir.filePath("t.DAT"), " A-B"),
             dir.filePath(QStringLiteral("t A-B.xlsx")));
}

void tst_Outputs::exportWithNoFileOrAnUnwritableFolder()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    QSignalSpy finished(&w, &frmZQ410_GraphView::exportFinished);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnToExcel")),
                      Qt::LeftButton); // nothing selected
    QVERIFY(!control<GradientLabel>(w, QStringLiteral("lblMsg"))->isVisible());
    QVERIFY(!w.isExporting());
    QCOMPARE(finished.size(), 0);

    v.selectFile();
    w.setExportFolder(v.dir.filePath(QStringLiteral("no/such/folder")));
    QString message;
    whenModal([&message](QWidget *box) {
        message = static_cast<QMessageBox *>(box)->text();
        box->close();
    });
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("btnToExcel")), Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!finished.first().at(0).toBool());
    QVERIFY(!message.isEmpty());
    QVERIFY(v.opened.isEmpty());
    QVERIFY(!QDir(v.dir.filePath(QStringLiteral("no"))).exists());
}

/// Workbooks go to a folder only their user can enter, are created anew (a link planted where
/// one is written is never followed, the file it points at stays as it was) and are readable by
/// their owner only.
void tst_Outputs::exportFollowsNoLinkAndKeepsWorkbooksPrivate()
{
    const auto private_ = [](const QString &path) {
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
        return !(QFileInfo(path).permissions() & others);
    };
    const QString folder = TrendExport::makePrivateFolder();
    QVERIFY(!folder.isEmpty());
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(private_(folder));
    QVERIFY(folder.startsWith(QDir::tempPath()));
    QVERIFY(QDir(folder).removeRecursively());

    Viewer v;
    const QString trend = v.data + QStringLiteral("/ZQ410_01.DAT");
    const QString victim = v.dir.filePath(QStringLiteral("victim"));
    QFile file(victim);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    const QString workbook = v.exports + QStringLiteral("/ZQ410_01.xlsx");
    QVERIFY(QFile::link(victim, workbook + QStringLiteral(".part")));
    TrendExport::Result result = TrendExport::write(trend, workbook);
    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
    file.close();
    QVERIFY(!QFile::exists(workbook));

    QVERIFY(QFile::remove(workbook + QStringLiteral(".part")));
    result = TrendExport::write(trend, workbook);
    QVERIFY(result.ok);
    QVERIFY(private_(workbook));
}

void tst_Outputs::captureIsTheChartOnTheClipboardAndABmpFile()
{
    Viewer v;
    frmZQ410_GraphView &w = v.start();
    v.selectFile();
    QString answer = v.dir.filePath(QStringLiteral("picture"));
    int asked = 0;
    w.setCaptureFileChooser([&](QWidget *) {
        ++asked;
        return answer;
    });
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(asked, 1);
    QFile file(answer + QStringLiteral(".BMP")); // the type's extension, typed or not
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(2), QByteArray("BM"));
    QCOMPARE(QImageReader(file.fileName()).size(), chartOf(w)->size());
    QCOMPARE(QApplication::clipboard()->image().size(), chartOf(w)->size());

    // Cancel: nothing saved, the picture stays on the clipboard.
    QApplication::clipboard()->clear();
    answer.clear();
    const QStringList before = QDir(v.dir.path()).entryList(QDir::Files);
    QTest::mouseClick(control<QPushButton>(w, QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(asked, 2);
    QCOMPARE(QDir(v.dir.path()).entryList(QDir::Files), before);
    QCOMPARE(QApplication::clipboard()->image().size(), chartOf(w)->size());
    QVERIFY(!FrmScreenCapture::saveBmp(QImage(4, 4, QImage::Format_RGB32),
                                       v.dir.filePath(QStringLiteral("missing/x"))));
}

void tst_Outputs::captureDialogAsksForABmpFileAndCancelSavesNothing()
{
    QWidget parent;
    QStringList filters;
    whenModal([&filters](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        filters = dialog->nameFilters();
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->reject();
    });
    QCOMPARE(FrmScreenCapture::askFileName(&parent), QString());
    QCOMPARE(filters, QStringList{QStringLiteral("BMP FILES(*.BMP)")});
}

QTEST_MAIN(tst_Outputs)
#include "tst_outputs.moc"
