#include "EngineHarness.h"
#include "FindControl.h"
#include "GridFile.h"
#include "ModalAnswer.h"
#include "frmZQ410_Memory.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

/// Controller 1 on line (decimal places 1), its memory window open.
struct Memory : EngineHarness
{
    std::unique_ptr<frmZQ410_Memory> window;

    Memory() : EngineHarness({{1}, "STD", false}, {1})
    {
        startUp();
        QVERIFY(goOnline());
        clock.advance(1000);
        window = std::make_unique<frmZQ410_Memory>(*engine);
        window->show();
    }
    QTableWidget *grid() const { return control<QTableWidget>(*window, QStringLiteral("sprdMem")); }
    QString cell(int row, int column) const { return grid()->item(row - 1, column - 1)->text(); }
    void setCell(int row, int column, const QString &text)
    {
        grid()->item(row - 1, column - 1)->setText(text);
    }
    void click(const char *button)
    {
        QTest::mouseClick(control<QPushButton>(*window, QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    QString message() const { return control<QLabel>(*window, QStringLiteral("lblMsg"))->text(); }
    /// Frames sent from index first on whose command is a memory block write.
    int writesSince(qsizetype first) const { return countSince(first, "DWR,25,"); }
    int blockReadsSince(qsizetype first) const { return countSince(first, "DRR,25,"); }
    int countSince(qsizetype first, const QByteArray &command) const
    {
        int n = 0;
        for (const QByteArray &frame : frames(first))
            n += frame.mid(3, 7) == command;
        return n;
    }
};

class tst_Memory : public QObject
{
    Q_OBJECT

private slots:
    void readFillsTheTableAndSendWritesItBack();
    void aValueOutsideItsRegisterStopsTheSendBeforeAnything();
    void closingStopsASendAndASecondReadStartsOver();
    void tableIsLockedDuringATransferAndEnterStartsNothing();
    void aTransferThatStopsSaysSoAndAnIncompleteTableAsksFirst();
    void filesRoundTripAndAForeignFileIsRefused();
};

void tst_Memory::readFillsTheTableAndSendWritesItBack()
{
    Memory m;
    SimulatedController &c = *m.line.controller(1);
    c.writeRegister(800, 253); // entry 1 SV at DP 1: 25.3
    c.writeRegister(1000, -5); // entry 1 ON time (block 4)
    c.writeRegister(900, 300); // entry 51 SV
    c.writeRegister(1100, 12); // entry 51 ON time
    c.writeRegister(1349, 7);  // entry 100 OFF time
    QCOMPARE(m.message(), QStringLiteral("메시지 표시 영역"));
    m.click("btnR_MC");
    QCOMPARE(m.message(), QStringLiteral("데이터 수신 중..."));
    m.clock.advance(12 * 300 + 1000);
    QCOMPARE(m.message(), QStringLiteral("데이터 수신 완료."));
    QCOMPARE(control<QProgressBar>(*m.window, QStringLiteral("progress"))->value(), 12);
    QCOMPARE(m.cell(1, 1), QStringLiteral("25.3"));
    QCOMPARE(m.cell(1, 2), QStringLiteral("-5"));
    QCOMPARE(m.cell(51, 1), QStringLiteral("30.0"));
    QCOMPARE(m.cell(51, 2), QStringLiteral("12"));
    QCOMPARE(m.cell(100, 3), QStringLiteral("7"));

    // Sent back as read, edited cells converted: 25.25 -> 252 (half to even), 30 -> 300.
    m.setCell(2, 1, QStringLiteral("25.25"));
    m.setCell(3, 1, QStringLiteral("30"));
    m.click("btnS_MC");
    QCOMPARE(m.message(), QStringLiteral("데이터 송신 중..."));
    m.clock.advance(12 * 300 + 1000);
    QCOMPARE(m.message(), QStringLiteral("송신 완료."));
    QCOMPARE(c.readRegister(800).value(), 253);
    QCOMPARE(c.readRegister(801).value(), 252);
    QCOMPARE(c.readRegister(802).value(), 300);
    QCOMPARE(c.readRegister(1000).value(), -5);
    QCOMPARE(c.readRegister(1349).value(), 7);
}

void tst_Memory::aValueOutsideItsRegisterStopsTheSendBeforeAnything()
{
    Memory m;
    m.setCell(7, 1, QStringLiteral("5000")); // 50000 at DP 1
    const qsizetype before = m.link.sent().size();
    MessageBoxAnswer answer(QMessageBox::Ok);
    m.click("btnS_MC");
    QCOMPARE(answer.text.left(6), QStringLiteral("7행 1열의"));
    m.clock.advance(2000);
    QCOMPARE(m.writesSince(before), 0);
}

void tst_Memory::closingStopsASendAndASecondReadStartsOver()
{
    Memory m;
    m.click("btnS_MC");
    m.runFrames(3);
    const qsizetype before = m.link.sent().size();
    m.window.reset();
    m.clock.advance(5000);
    QCOMPARE(m.writesSince(before), 0);

    m.window = std::make_unique<frmZQ410_Memory>(*m.engine);
    m.window->show();
    m.click("btnR_MC");
    m.runFrames(3);
    m.clock.advance(12 * 300 + 1000);
    QCOMPARE(m.message(), QStringLiteral("데이터 수신 완료."));
    m.click("btnR_MC");
    m.runFrames(1); // a second read starts at block 0 again
    QVERIFY(m.frames().last().startsWith("\x02"
                                         "01DRR,25,0800"));
}

/// While a read runs the table cannot be edited and only Close works; Enter in the table never
/// starts a transfer.
void tst_Memory::tableIsLockedDuringATransferAndEnterStartsNothing()
{
    Memory m;
    QTableWidget *grid = m.grid();
    const qsizetype before = m.link.sent().size();
    m.setCell(1, 1, QStringLiteral("12.3"));
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Enter);
    m.clock.advance(2000);
    QCOMPARE(m.blockReadsSince(before), 0);
    QCOMPARE(m.message(), QStringLiteral("메시지 표시 영역"));
    QVERIFY(m.window->isVisible());

    m.click("btnR_MC");
    m.runFrames(2);
    for (const char *name : {"btnR_MC", "btnS_MC", "btnS_File", "btnR_File"})
        QVERIFY2(!control<QPushButton>(*m.window, QString::fromLatin1(name))->isEnabled(), name);
    QVERIFY(control<QPushButton>(*m.window, QStringLiteral("btnClose"))->isEnabled());
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    grid->setCurrentCell(40, 0);
    QTest::keyClicks(grid->viewport(), QStringLiteral("99"));
    QVERIFY(!grid->viewport()->findChild<QLineEdit *>()); // no cell editor opened
    m.clock.advance(12 * 300 + 1000);
    QCOMPARE(m.message(), QStringLiteral("데이터 수신 완료."));
    QCOMPARE(m.blockReadsSince(before), 12);
    QCOMPARE(m.cell(1, 1), QStringLiteral("40.0")); // the controller's value, not the edit
    QVERIFY(control<QPushButton>(*m.window, QStringLiteral("btnS_MC"))->isEnabled());
    QVERIFY(grid->editTriggers() != QAbstractItemView::NoEditTriggers);
}

/// A read cut by a lost line says so with the blocks done and leaves the table marked: saving
/// or sending it asks first. A send to a controller that stops answering says so likewise.
void tst_Memory::aTransferThatStopsSaysSoAndAnIncompleteTableAsksFirst()
{
    Memory m;
    m.click("btnR_MC");
    m.runFrames(3);
    m.clock.advance(260); // block 2 answered, block 3 under way
    m.link.pull();
    m.clock.advance(100);
    QVERIFY2(m.message().contains(QStringLiteral("12블록 중 3블록 완료")), qPrintable(m.message()));
    QVERIFY(m.message().contains(QStringLiteral("일부만")));
    QCOMPARE(control<QProgressBar>(*m.window, QStringLiteral("progress"))->value(), 3);
    QVERIFY(control<QPushButton>(*m.window, QStringLiteral("btnS_File"))->isEnabled());
    {
        MessageBoxAnswer answer(QMessageBox::No);
        m.click("btnS_File");
        QVERIFY(answer.text.contains(QStringLiteral("12블록 중 3블록")));
        QVERIFY(!QApplication::activeModalWidget());
    }

    QVERIFY(m.goOnline());
    const qsizetype before = m.link.sent().size();
    {
        MessageBoxAnswer answer(QMessageBox::No);
        m.click("btnS_MC");
        QVERIFY(answer.text.contains(QStringLiteral("전송하시겠습니까")));
    }
    m.clock.advance(2000);
    QCOMPARE(m.writesSince(before), 0);

    // Sent anyway; the controller goes quiet at the fifth block.
    {
        MessageBoxAnswer answer(QMessageBox::Yes);
        m.click("btnS_MC");
    }
    m.runFrames(5);
    m.line.setDeviceLatency(1, SimulatedLine::NoReply);
    m.clock.advance(3000);
    QVERIFY2(m.message().contains(QStringLiteral("응답하지 않았습니다")), qPrintable(m.message()));
    QVERIFY(m.message().contains(QStringLiteral("12블록 중 5블록 완료")));
    QVERIFY(control<QPushButton>(*m.window, QStringLiteral("btnS_MC"))->isEnabled());

    // A send cut by the lost line says so, not "데이터 송신 중..." for good.
    m.line.setDeviceLatency(1, SimulatedLine::LineLatency);
    {
        MessageBoxAnswer answer(QMessageBox::Yes);
        m.click("btnS_MC");
    }
    m.runFrames(4);
    m.link.pull();
    m.clock.advance(100);
    QVERIFY2(m.message().startsWith(QStringLiteral("통신포트가 닫혀 기기 1번에 대한 메모리 전송")),
             qPrintable(m.message()));
    QVERIFY(control<QPushButton>(*m.window, QStringLiteral("btnS_File"))->isEnabled());
}

void tst_Memory::filesRoundTripAndAForeignFileIsRefused()
{
    Memory m;
    m.setCell(1, 1, QStringLiteral("25.3"));
    m.setCell(100, 3, QStringLiteral("tab\there"));
    const QString path = m.dir.filePath(QStringLiteral("kiln.MEM"));
    QVERIFY(m.window->saveTo(path));
    m.setCell(1, 1, QString());
    QVERIFY(m.window->loadFrom(path));
    QCOMPARE(m.cell(1, 1), QStringLiteral("25.3"));
    QCOMPARE(m.cell(100, 3), QStringLiteral("tab\there"));

    const QString foreign = m.dir.filePath(QStringLiteral("other.MEM"));
    QVERIFY(GridFile::save(foreign, {{"1", "2", "3"}}));
    m.setCell(5, 2, QStringLiteral("9"));
    QVERIFY(!m.window->loadFrom(foreign));
    QCOMPARE(m.cell(5, 2), QStringLiteral("9"));
    QCOMPARE(m.cell(1, 1), QStringLiteral("25.3"));

    // A file that cannot be written (a folder in its place; a full disk alike) is reported;
    // the table stays as it is.
    const QString blocked = m.dir.filePath(QStringLiteral("blocked.MEM"));
    QVERIFY(QDir().mkpath(blocked));
    m.window->setSaveChooser([blocked](QWidget *) { return blocked; });
    {
        MessageBoxAnswer answer(QMessageBox::Ok);
        m.click("btnS_File");
        QVERIFY2(answer.text.startsWith(QStringLiteral("메모리 파일을 저장하지 못했습니다")),
                 qPrintable(answer.text));
        QVERIFY(answer.text.contains(blocked));
    }
    QCOMPARE(m.cell(1, 1), QStringLiteral("25.3"));

    // A name typed without the extension gets it, so the open dialog (*.MEM) lists the file;
    // one typed with it, in any case, is kept.
    for (const auto &[typed, saved] :
         {std::pair{"kiln2", "kiln2.MEM"}, {"kiln3.mem", "kiln3.mem"}}) {
        const QString path = m.dir.filePath(QLatin1String(typed));
        m.window->setSaveChooser([path](QWidget *) { return path; });
        m.click("btnS_File");
        QVERIFY2(QFile::exists(m.dir.filePath(QLatin1String(saved))), saved);
    }
    QVERIFY(!QFile::exists(m.dir.filePath(QStringLiteral("kiln2"))));

    // A cancelled open dialog changes nothing and says nothing.
    whenModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    m.click("btnR_File");
    QCOMPARE(m.cell(5, 2), QStringLiteral("9"));
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(tst_Memory)
#include "tst_memory.moc"
