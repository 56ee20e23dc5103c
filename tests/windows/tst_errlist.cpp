#include "EngineHarness.h"
#include "FindControl.h"
#include "frmZQ410_ErrList.h"

#include <QTableWidget>
#include <QTest>

class tst_ErrList : public QObject
{
    Q_OBJECT

private slots:
    void opensByReadingTheFiveCodesAndNamesThem();
};

void tst_ErrList::opensByReadingTheFiveCodesAndNamesThem()
{
    EngineHarness h({{1}, "STD", false}, {1}); // the simulated controller keeps 3, 0, 0, 0, 0
    h.startUp();
    QVERIFY(h.engine->openPort().ok());
    QVERIFY(h.untilOnline());
    frmZQ410_ErrList window(*h.engine);
    QCOMPARE(window.windowTitle(), QStringLiteral("에러 메시지"));
    h.clock.advance(1000);
    QVERIFY(h.frames().contains("\x02"
                                "01DRR,05,0700,0701,0702,0703,0704\r\n"));
    QTableWidget *grid = control<QTableWidget>(window, QStringLiteral("sprdErr"));
    const auto row = [grid](int r) {
        return QStringList{grid->item(r, 0)->text(), grid->item(r, 1)->text()};
    };
    QCOMPARE(row(0), QStringList({"3", "RJC 에러"}));
    for (int r = 1; r < 5; ++r)
        QCOMPARE(row(r), QStringList({"", ""}));

    // Codes of 0 leave their rows; a code without a name shows its number.
    emit h.engine->errorHistoryReceived(2, {9, 9, 9, 9, 9}); // another controller's
    emit h.engine->errorHistoryReceived(1, {0, 0, 15, 0, 21});
    QCOMPARE(row(0), QStringList({"3", "RJC 에러"}));
    QCOMPARE(row(2), QStringList({"15", "히터 오버"}));
    QCOMPARE(row(4), QStringList({"21", "알 수 없는 에러"}));
    QCOMPARE(frmZQ410_ErrList::errorText(10), QStringLiteral("펌프 정동작 오버"));
}

QTEST_MAIN(tst_ErrList)
#include "tst_errlist.moc"
