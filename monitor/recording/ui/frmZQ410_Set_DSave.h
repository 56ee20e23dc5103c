#pragma once

#include "SettingsFiles.h"
#include "SharedState.h"

#include <QDialog>

class GradientLabel;
class NumberEdit;
class QComboBox;
class QLineEdit;
class QPushButton;

/// The recording settings window: switch, interval and unit, data folder (picked in the folder
/// picker) and file-name prefix. It opens on the texts of CFG/SaveData.INI; OK returns the
/// settings (settings()), which the engine stores and applies.
class frmZQ410_Set_DSave : public QDialog
{
    Q_OBJECT

public:
    frmZQ410_Set_DSave(const RecordingSettings &current, const SettingsFiles &files,
                       const QString &programFolder, QWidget *parent = nullptr);

    /// The settings as the inputs hold them; taken over by the caller after OK.
    RecordingSettings settings() const;

private:
    void build();
    void ShowRecordingSettings(const RecordingSettings &current);
    void pickFolder();
    void confirm();
    void showMessage(const QString &text);

    QComboBox *cmbSave = nullptr;
    NumberEdit *txtSaveInterval = nullptr;
    QComboBox *cmbUnit = nullptr;
    GradientLabel *lblFolder = nullptr;
    QLineEdit *txtFName = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    const SettingsFiles &m_files;
    QString m_programFolder;
};
