#pragma once

#include <QDialog>

class AlarmEngine;
class QLabel;
class QPushButton;
class QTableWidget;

/// The window "경보 목록": the alarms that are not normal with their times (newest first),
/// acknowledged one by one or all at once, and today's journal below. It follows the alarm
/// engine while it is open.
class frmZQ410_AlarmList : public QDialog
{
    Q_OBJECT

public:
    static inline const QString NoSoundDevice = QStringLiteral("소리를 낼 장치가 없습니다");

    explicit frmZQ410_AlarmList(AlarmEngine &alarms, QWidget *parent = nullptr);

    /// The alarm sound has no audio output to play on (the bell rings instead): said once,
    /// above the list.
    void setSoundUnavailable(bool unavailable);

private:
    void build();
    void showAlarms();
    void showJournal();
    void acknowledgeSelected();
    QList<int> chosenRows() const;

    AlarmEngine &m_alarms;
    QTableWidget *tblActive = nullptr;
    QTableWidget *tblJournal = nullptr;
    QPushButton *btnAck = nullptr;
    QPushButton *btnAckAll = nullptr;
    QPushButton *btnClose = nullptr;
    QLabel *lblNoSound = nullptr;
};
