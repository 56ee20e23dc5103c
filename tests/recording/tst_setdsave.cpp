#include "FindControl.h"
#include "GradientLabel.h"
#include "NumberEdit.h"
#include "frmSelectFolder.h"
#include "frmZQ410_Set_DSave.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_SetDSave : public QObject
{
    Q_OBJECT

private slots:
    void firstOpeningShowsTheSettingsInForce();
    void intervalStaysWithinOneToSixty_data();
    void intervalStaysWithinOneToSixty();
    void emptyFolderOrNameIsRefusedWithAMessage();
    void okGivesTheFiveTextsAsTyped();
    void folderPickerStartsAtTheRecordingFolderOrTheProgramFolder();
    void clickingTheFolderOpensThePicker();
};

static RecordingSettings defaults(const QString &folder)
{
    RecordingSettings s;
    s.DataFolder = folder;
    return s;
}

void tst_SetDSave::firstOpeningShowsTheSettingsInForce()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    frmZQ410_Set_DSave window(defaults(QStringLiteral("/home/op/ZQ410_DATA")), files, dir.path());
    QCOMPARE(window.windowTitle(), QStringLiteral("데이터 저장 설정"));
    QCOMPARE(control<QComboBox>(window, QStringLiteral("cmbSave"))->currentText(),
             QStringLiteral("No"));
    QCOMPARE(control<NumberEdit>(window, QStringLiteral("txtSaveInterval"))->text(),
             QStringLiteral("1"));
    QCOMPARE(control<QComboBox>(window, QStringLiteral("cmbUnit"))->currentText(),
             QStringLiteral("분"));
    QCOMPARE(control<GradientLabel>(window, QStringLiteral("lblFolder"))->text(),
             QStringLiteral("/home/op/ZQ410_DATA"));
    QCOMPARE(control<QLineEdit>(window, QStringLiteral("txtFName"))->text(),
             QStringLiteral("ZQ410"));
    QCOMPARE(control<GradientLabel>(window, QStringLiteral("lblFolder"))->toolTip(),
             QStringLiteral("클릭하면 폴더를 바꿀 수 있습니다."));
}

void tst_SetDSave::intervalStaysWithinOneToSixty_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << QString() << QStringLiteral("1");
    QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("1");
    QTest::newRow("above sixty") << QStringLiteral("75") << QStringLiteral("60");
    QTest::newRow("sixty") << QStringLiteral("60") << QStringLiteral("60");
    QTest::newRow("within") << QStringLiteral("30") << QStringLiteral("30");
}

void tst_SetDSave::intervalStaysWithinOneToSixty()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    frmZQ410_Set_DSave window(defaults(dir.path()), files, dir.path());
    auto *interval = control<NumberEdit>(window, QStringLiteral("txtSaveInterval"));
    interval->setText(QStringLiteral("7"));
    interval->setText(typed);
    QCOMPARE(interval->text(), shown);
}

void tst_SetDSave::emptyFolderOrNameIsRefusedWithAMessage()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    frmZQ410_Set_DSave window(defaults(dir.path()), files, dir.path());
    window.show();
    const struct
    {
        QString folder;
        QString name;
        QString message;
    } cases[] = {{QString(), QStringLiteral("ZQ410"), QStringLiteral("저장폴더를 선택하시오.")},
                 {dir.path(), QString(), QStringLiteral("파일명을 입력하시오.")}};
    for (const auto &c : cases) {
        control<GradientLabel>(window, QStringLiteral("lblFolder"))->setText(c.folder);
        control<QLineEdit>(window, QStringLiteral("txtFName"))->setText(c.name);
        QString title, text;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        QTest::mouseClick(control<QPushButton>(window, QStringLiteral("btnOK")), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("ZQ410"));
        QCOMPARE(text, c.message);
        QVERIFY(window.isVisible());
        QVERIFY(!QFile::exists(files.saveDataPath()));
    }
}

void tst_SetDSave::okGivesTheFiveTextsAsTyped()
{
    QTemporaryDir dir;
    SettingsFiles files(dir.path());
    {
        frmZQ410_Set_DSave window(defaults(dir.path()), files, dir.path());
        control<QComboBox>(window, QStringLiteral("cmbSave"))
            ->setCurrentText(QStringLiteral("yes"));
        control<NumberEdit>(window, QStringLiteral("txtSaveInterval"))
            ->setText(QStringLiteral("30"));
        control<QComboBox>(window, QStringLiteral("cmbUnit"))->setCurrentText(QStringLiteral("초"));
        control<QLineEdit>(window, QStringLiteral("txtFName"))->setText(QStringLiteral("LINE"));
        QTest::mouseClick(control<QPushButton>(window, QStringLiteral("btnOK")), Qt::LeftButton);
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(window.settings().RecordSwitch, QStringLiteral("yes"));
        QCOMPARE(window.settings().RecordInterval, 30);
        files.SaveRecordingSettings(window.settings()); // what the engine does with them
    }
    QFile file(files.saveDataPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             "yes\r\n30\r\n\xC3\xCA\r\n" + dir.path().toLocal8Bit() + "\r\nLINE\r\n");

    // The next opening starts from the file, not from the settings passed in.
    frmZQ410_Set_DSave again(defaults(QStringLiteral("/elsewhere")), files, dir.path());
    QCOMPARE(control<QLineEdit>(again, QStringLiteral("txtFName"))->text(), QStringLiteral("LINE"));
    control<QLineEdit>(again, QStringLiteral("txtFName"))->setText(QStringLiteral("CHANGED"));
    QTest::mouseClick(control<QPushButton>(again, QStringLiteral("btnCancel")), Qt::LeftButton);
    frmZQ410_Set_DSave third(defaults(QStringLiteral("/elsewhere")), files, dir.path());
    QCOMPARE(control<QLineEdit>(third, QStringLiteral("txtFName"))->text(), QStringLiteral("LINE"));
}

void tst_SetDSave::folderPickerStartsAtTheRecordingFolderOrTheProgramFolder()
{
    QTemporaryDir program;
    QTemporaryDir data;
    frmSelectFolder fromSetting(data.path(), program.path());
    QCOMPARE(fromSetting.folder(), data.path());
    frmSelectFolder empty(QString(), program.path());
    QCOMPARE(empty.folder(), program.path());
    frmSelectFolder gone(QStringLiteral("/no/such/folder"), program.path());
    QCOMPARE(gone.folder(), program.path());
    QCOMPARE(gone.windowTitle(), QStringLiteral("폴더 선택"));
    QVERIFY(gone.Drive1->count() >= 1);
    gone.openFolder(data.path());
    QCOMPARE(gone.folder(), data.path());
    QTest::mouseClick(gone.btnOK, Qt::LeftButton);
    QCOMPARE(gone.result(), int(QDialog::Accepted));
}

void tst_SetDSave::clickingTheFolderOpensThePicker()
{
    QTemporaryDir dir;
    QTemporaryDir chosen;
    SettingsFiles files(dir.path());
    frmZQ410_Set_DSave window(defaults(dir.path()), files, dir.path());
    window.show();
    QTimer::singleShot(0, [&] {
        auto *picker = qobject_cast<frmSelectFolder *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        QCOMPARE(picker->folder(), dir.path());
        picker->openFolder(chosen.path());
        QTest::mouseClick(picker->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(control<GradientLabel>(window, QStringLiteral("lblFolder")), Qt::LeftButton);
    QCOMPARE(control<GradientLabel>(window, QStringLiteral("lblFolder"))->text(), chosen.path());

    QTimer::singleShot(0, [&] {
        auto *picker = qobject_cast<frmSelectFolder *>(QApplication::activeModalWidget());
        QVERIFY(picker);
        picker->openFolder(dir.path());
        QTest::mouseClick(picker->btnCancel, Qt::LeftButton);
    });
    QTest::mouseClick(control<GradientLabel>(window, QStringLiteral("lblFolder")), Qt::LeftButton);
    QCOMPARE(control<GradientLabel>(window, QStringLiteral("lblFolder"))->text(), chosen.path());
}

QTEST_MAIN(tst_SetDSave)
#include "tst_setdsave.moc"
