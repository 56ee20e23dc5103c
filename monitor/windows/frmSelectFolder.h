#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeView;

/// The monitor's folder picker: a list of the mounted volumes (the drives) and a folder tree of
/// the chosen volume. It starts at the recording folder, or at the program folder when that is
/// empty or no longer exists.
class frmSelectFolder : public QDialog
{
    Q_OBJECT

public:
    frmSelectFolder(const QString &recordingFolder, const QString &programFolder,
                    QWidget *parent = nullptr);

    /// The folder chosen; valid after the dialog was accepted.
    QString folder() const;

    /// Opens a folder in the folder list, as if the operator had opened it.
    void openFolder(const QString &path);

    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *lblFolder = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void fillDrives();
    void onDriveChanged(int index);
    void confirm();

    QFileSystemModel *m_model = nullptr;
};
