#include "SerialLink.h"
#include "frmZQ410_SetPort.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class tst_SetPort : public QObject
{
    Q_OBJECT

private slots:
    void listsAndCurrentSettings();
    void portTestNamesAMissingPortAndOkStillTakesIt();
    void portTestPassesForAFreePortAndFailsForOneInUse();
    void typedPortIsTestedAndAnOldMessageGoes();
};

void tst_SetPort::listsAndCurrentSettings()
{
    PortSettings current;
    current.PortName = QStringLiteral("COM20");
    frmZQ410_SetPort dialog(current);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("통신포트 설정"));
    auto *port = dialog.findChild<QComboBox *>(QStringLiteral("cmbPort"));
    QCOMPARE(port->itemText(0), QStringLiteral("COM1"));
    QCOMPARE(port->itemText(15), QStringLiteral("COM16"));
    QCOMPARE(port->currentText(), QStringLiteral("COM20"));
    auto *baud = dialog.findChild<QComboBox *>(QStringLiteral("cmbBaud"));
    QCOMPARE(baud->count(), 4);
    QCOMPARE(baud->itemText(3), QStringLiteral("1200"));
    QCOMPARE(dialog.findChild<QComboBox *>(QStringLiteral("cmbProtocol"))->itemText(1),
             QStringLiteral("SUM"));
    QCOMPARE(dialog.settings(), current);
}

void tst_SetPort::portTestNamesAMissingPortAndOkStillTakesIt()
{
    PortSettings current;
    current.PortName = QStringLiteral("/dev/zq410-no-such-port");
    frmZQ410_SetPort dialog(current);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblMsg"))->text(),
             QStringLiteral("포트가 존재하지 않습니다."));
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.settings().PortName, QStringLiteral("/dev/zq410-no-such-port"));
}

void tst_SetPort::portTestPassesForAFreePortAndFailsForOneInUse()
{
    // A pseudo-terminal stands in for a serial port.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
    const QString path = QString::fromLocal8Bit(ptsname(master));
    QCOMPARE(frmZQ410_SetPort::testPort(path), QString());
    SerialLink inUse;
    QVERIFY(inUse.open({path, "9600", "N", "8", "1"}).ok());
    QString holder;
    QCOMPARE(frmZQ410_SetPort::testPort(path, &holder),
             QStringLiteral("포트가 이미 사용 중입니다."));
    QVERIFY2(holder.contains(QStringLiteral("tst_setport(PID ")), qPrintable(holder));
    inUse.close();
    QCOMPARE(frmZQ410_SetPort::testPort(path), QString());
    ::close(master);
}

void tst_SetPort::typedPortIsTestedAndAnOldMessageGoes()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(master >= 0);
    QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
    const QString path = QString::fromLocal8Bit(ptsname(master));

    PortSettings current;
    current.PortName = QStringLiteral("/dev/zq410-no-such-port");
    frmZQ410_SetPort dialog(current);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto *port = dialog.findChild<QComboBox *>(QStringLiteral("cmbPort"));
    auto *message = dialog.findChild<QLabel *>(QStringLiteral("lblMsg"));
    QVERIFY(port->width() >= port->fontMetrics().horizontalAdvance(
                                 QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00")));
    QVERIFY(!message->text().isEmpty());
    port->lineEdit()->clear();
    QVERIFY(message->text().isEmpty());
    port->setFocus();
    QTest::keyClicks(port->lineEdit(), QStringLiteral("/dev/zq410-other"));
    QTest::keyClick(port->lineEdit(), Qt::Key_Tab); // typing is finished
    QCOMPARE(message->text(), QStringLiteral("포트가 존재하지 않습니다."));
    port->lineEdit()->clear();
    port->setFocus();
    QTest::keyClicks(port->lineEdit(), path);
    QTest::keyClick(port->lineEdit(), Qt::Key_Tab); // typing is finished
    QCOMPARE(message->text(), QString());
    ::close(master);
}

QTEST_MAIN(tst_SetPort)
#include "tst_setport.moc"
