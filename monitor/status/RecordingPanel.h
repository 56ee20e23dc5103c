#pragma once

#include <QGroupBox>

class QDateTime;
class QLabel;
struct RecordingSettings;

/// The main window's "데이터 저장" box: whether records are written and how often, and, while
/// records cannot be written (a full disk, an unwritable data folder), since when they are lost.
class RecordingPanel : public QGroupBox
{
    Q_OBJECT

public:
    explicit RecordingPanel(QWidget *parent);

    void showSettings(const RecordingSettings &settings);
    /// missedSince invalid: records land again and the fault goes.
    void showFault(const QDateTime &missedSince, const QString &dataFolder);

private:
    QLabel *lblDSave_Enable = nullptr;
    QLabel *lblDSave_Intv = nullptr;
    QLabel *lblDSave_Unit = nullptr;
    QLabel *lblDSave_Fault = nullptr;
};
