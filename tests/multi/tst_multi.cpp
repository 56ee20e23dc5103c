#include "EngineHarness.h"
#include "FindControl.h"
#include "ModalAnswer.h"
#include "OverviewModel.h"
#include "TestFiles.h"
#include "TwoRowHeader.h"
#include "frmZQ410_RunMulti.h"
#include "frmZQ410_SetMulti.h"

#include <QBrush>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace {

using TestFiles::contents;

/// Devices 1, 3 and 4 in the list, 1 and 3 answering, on line.
struct Line : EngineHarness
{
    Line() : EngineHarness({{1, 3, 4}, "STD", false}, {1, 3})
    {
        startUp();
        QVERIFY(engine->openPort().ok());
        QVERIFY(untilOnline());
        clock.advance(1000);
    }
};

} // namespace

class tst_Multi : public QObject
{
    Q_OBJECT

private slots:
    void deviceListMarksSavesAndApplies();
    void deviceListWithoutAnyOIsRefused();
    void overviewFollowsThePollingAndActsOnItsRow();
};

void tst_Multi::deviceListMarksSavesAndApplies()
{
    EngineHarness h({{}, "STD", false}, {});
    // A 10-line file whose 5th line has no TAB: rows 1 to 5 loaded, the rest as designed.
    QByteArray file;
    for (int n = 1; n <= 10; ++n)
        file += n == 5 ? QByteArray("O\r\n") : "X\tCH" + QByteArray::number(n) + "\r\n";
    h.startUp();
    QFile out(h.settings->files().setMultiPath());
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    frmZQ410_SetMulti window(*h.settings);
    QCOMPARE(window.windowTitle(), QStringLiteral("멀티 설정"));
    QTableWidget *grid = control<QTableWidget>(window, QStringLiteral("sprdList"));
    QCOMPARE(grid->rowCount(), 99);
    QCOMPARE(grid->item(3, 1)->text(), QStringLiteral("CH4"));
    QCOMPARE(grid->item(4, 0)->text(), QStringLiteral("O"));
    QCOMPARE(grid->item(5, 1)->text(), QString()); // after the stop: as designed
    QCOMPARE(grid->item(98, 0)->text(), QStringLiteral("X"));

    for (int row = 0; row < 99; ++row)
        grid->item(row, 0)->setText(QStringLiteral("X"));
    grid->item(0, 0)->setText(QStringLiteral("O"));
    grid->item(2, 0)->setText(QStringLiteral("O"));
    grid->item(3, 0)->setText(QStringLiteral("O"));
    grid->item(5, 0)->setText(QStringLiteral("o"));  // not in use
    grid->item(6, 0)->setText(QStringLiteral(" O")); // not in use
    grid->item(2, 1)->setText(QStringLiteral("KILN\tA"));
    // Enter in the grid saves nothing: no button is the default.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    grid->setFocus();
    grid->setCurrentCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(window.isVisible());
    QVERIFY(!QFile::exists(h.settings->files().setMultiPath()) ||
            contents(h.settings->files().setMultiPath()) == file);
    QTest::mouseClick(control<QPushButton>(window, QStringLiteral("btnOK")), Qt::LeftButton);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    const QList<QByteArray> lines = contents(h.settings->files().setMultiPath()).split('\n');
    QCOMPARE(lines.size(), 100);
    QCOMPARE(lines.at(0), QByteArray("O\tCH1\r"));
    QCOMPARE(lines.at(2), QByteArray("O\tKILN A\r"));
    QCOMPARE(lines.at(5), QByteArray("o\t\r")); // its name was after the loading stopped
    QCOMPARE(lines.at(98), QByteArray("X\t\r"));
    QCOMPARE(h.engine->state().DeviceList, QList<int>({1, 3, 4}));
    QCOMPARE(h.engine->table().rowCount(), 3);
}

void tst_Multi::deviceListWithoutAnyOIsRefused()
{
    EngineHarness h({{2}, "STD", false}, {});
    h.startUp();
    const QByteArray before = contents(h.settings->files().setMultiPath());
    frmZQ410_SetMulti window(*h.settings);
    QTableWidget *grid = control<QTableWidget>(window, QStringLiteral("sprdList"));
    grid->item(1, 0)->setText(QStringLiteral("X"));
    MessageBoxAnswer answer(QMessageBox::Ok);
    QTest::mouseClick(control<QPushButton>(window, QStringLiteral("btnOK")), Qt::LeftButton);
    QCOMPARE(answer.text, QStringLiteral("사용 여부에 최소 하나는 O 를 선택해야만 합니다."));
    QCOMPARE(contents(h.settings->files().setMultiPath()), before);
    QCOMPARE(h.engine->state().DeviceList, QList<int>({2}));
    QTest::mouseClick(control<QPushButton>(window, QStringLiteral("btnCancel")), Qt::LeftButton);
    QCOMPARE(contents(h.settings->files().setMultiPath()), before);
}

void tst_Multi::overviewFollowsThePollingAndActsOnItsRow()
{
    using M = OverviewModel;
    Line line;
    line.line.controller(3)->writeRegister(102, 1); // RUN: STATUS bit 0
    line.line.controller(3)->writeRegister(107, 1); // STATUS bit 3 in the simulated controller
    frmZQ410_RunMulti window(*line.engine);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTableView *grid = control<QTableView>(window, QStringLiteral("sprdMulti"));
    const QAbstractItemModel &model = *grid->model();
    const auto cell = [&model](int row, int column, int role = Qt::DisplayRole) {
        return model.index(row, column).data(role);
    };
    const auto click = [grid](int row, int column) {
        grid->scrollTo(grid->model()->index(row, column)); // the test screen is narrow
        const QRect rect = grid->visualRect(grid->model()->index(row, column));
        QVERIFY2(grid->viewport()->rect().contains(rect.center()), "the cell is out of sight");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    };
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.headerData(1, Qt::Vertical).toInt(), 3);
    // Two header rows: "PV" over 제어온도 and 보조온도, "SV" alone over both rows.
    auto *header = qobject_cast<TwoRowHeader *>(grid->horizontalHeader());
    QVERIFY(header);
    QCOMPARE(header->groupOf(M::PvColumn)->text, QStringLiteral("PV"));
    QCOMPARE(header->groupOf(M::AuxColumn)->text, QStringLiteral("PV"));
    QCOMPARE(header->groupOf(M::FirstButtonColumn + 7)->text, QStringLiteral("CONTROL"));
    QCOMPARE(header->groupOf(M::RestTimeColumn)->text, QStringLiteral("TIMER"));
    QCOMPARE(header->groupOf(M::SvColumn), nullptr);
    QVERIFY(header->height() >= 2 * header->fontMetrics().height());
    QCOMPARE(model.headerData(M::AuxColumn, Qt::Horizontal).toString(), QStringLiteral("보조온도"));
    // What is known shows at once; controller 4 never answered.
    QCOMPARE(cell(1, M::SvColumn).toString(), QStringLiteral("60.0"));
    QCOMPARE(cell(2, M::SvColumn).toString(), QString());
    QCOMPARE(cell(0, M::MemoryColumn, Qt::ToolTipRole).toString(),
             QStringLiteral("클릭하면 데이터 수정 가능"));
    QCOMPARE(cell(2, M::MemoryColumn, Qt::ToolTipRole).toString(), QString());

    line.line.controller(3)->writeRegister(131, 7); // a memory number chosen on the controller
    QCOMPARE(cell(1, M::MemoryColumn).toString(), QStringLiteral("1"));
    line.clock.advance(2000);
    QCOMPARE(cell(1, M::MemoryColumn).toString(), QStringLiteral("7"));
    QCOMPARE(cell(1, M::LinkColumn).toString(), QStringLiteral("양호"));
    const auto button = [&cell](int row, int index, int role) {
        return cell(row, M::FirstButtonColumn + index, role);
    };
    QCOMPARE(button(1, 0, Qt::DisplayRole).toString(), QStringLiteral("RUN"));
    QCOMPARE(button(1, 7, Qt::DisplayRole).toString(), QStringLiteral("TIMER"));
    QCOMPARE(button(1, 0, M::LitRole), QVariant(true));  // RUN
    QCOMPARE(button(1, 3, M::LitRole), QVariant(true));  // SUCTION
    QCOMPARE(button(1, 1, M::LitRole), QVariant(false)); // AT
    QCOMPARE(button(1, 1, Qt::BackgroundRole).value<QBrush>().color(), QColor(224, 224, 224));
    QCOMPARE(button(1, 0, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    QCOMPARE(button(2, 0, M::LitRole), QVariant()); // never polled
    QCOMPARE(button(2, 0, Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 192, 192));

    // TIMER and BUZZER of row 2 write to controller 3; the selection stays on controller 1.
    click(1, M::FirstButtonColumn + 7);
    line.runFrames(2);
    QVERIFY(line.frames().contains("\x02"
                                   "03DWR,01,0110,0001\r\n"));
    QCOMPARE(line.frames().last().left(9), QByteArray("\x02"
                                                      "03DRR,31")); // read back from 3
    click(1, M::FirstButtonColumn + 6);
    line.runFrames(2);
    QVERIFY(line.frames().contains("\x02"
                                   "03DWR,01,0108,0001\r\n"));
    QCOMPARE(line.engine->state().SelectedDeviceNo, 1);
    // RUN in row 1 starts controller 1 and no other; its button lights with its next block.
    QVERIFY(!line.line.controller(1)->running());
    click(0, M::FirstButtonColumn);
    line.runFrames(2);
    QVERIFY(line.line.controller(1)->running());
    QVERIFY(line.line.controller(3)->running());
    line.clock.advance(2000);
    QCOMPARE(button(0, 0, M::LitRole), QVariant(true));

    // The memory number of row 2 through the value dialog, to controller 3.
    whenModal([](QWidget *modal) {
        QCOMPARE(modal->windowTitle(), QStringLiteral("MEMORY"));
        QTest::keyClicks(control<QLineEdit>(*modal, QStringLiteral("txtEditVal")),
                         QStringLiteral("15"));
        QTest::mouseClick(control<QPushButton>(*modal, QStringLiteral("btnOK")), Qt::LeftButton);
    });
    click(1, M::MemoryColumn);
    line.runFrames(2);
    QVERIFY(line.frames().contains("\x02"
                                   "03DWR,01,0131,000F\r\n"));

    // A click on a controller that is not connected does nothing.
    line.clock.advance(1000); // the write above has been taken from the slot
    QCOMPARE(line.engine->requests().pendingCode(), 0);
    click(2, M::FirstButtonColumn);
    click(2, M::MemoryColumn);
    QCOMPARE(line.engine->requests().pendingCode(), 0);

    // A command controller 3 does not answer: its row is marked, the operator is told, polling
    // goes on.
    line.clock.advance(1000);
    line.line.setDeviceLatency(3, SimulatedLine::NoReply);
    MessageBoxAnswer answer(QMessageBox::Ok);
    click(1, M::FirstButtonColumn + 1);
    QVERIFY(line.runUntil([&] { return cell(1, M::LinkColumn).toString() == "불량"; }, 3000));
    QCOMPARE(cell(1, M::LinkColumn, Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    line.clock.advance(3000);
    QTRY_VERIFY(!answer.text.isEmpty());
    QVERIFY2(answer.text.contains(QStringLiteral("기기 3번")), qPrintable(answer.text));
    QVERIFY(answer.text.contains(QStringLiteral("응답하지 않았습니다")));
    QVERIFY(answer.text.contains(QStringLiteral("레지스터 103")));
    QVERIFY(!line.engine->isBusy());
}

QTEST_MAIN(tst_Multi)
#include "tst_multi.moc"
