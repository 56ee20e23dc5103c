#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeView;

/// A folder picker ("폴더 선택"): a list of the mounted volumes (the drives) and a folder tree of
/// the chosen volume, the chosen folder's path below them, OK and Cancel. OK with no folder
/// chosen does nothing.
class FolderPicker : public QDialog
{
    Q_OBJECT

public:
    /// Opens at startFolder; a folder that does not exist opens at fallbackFolder instead.
    FolderPicker(const QString &startFolder, const QString &fallbackFolder,
                 QWidget *parent = nullptr);

    /// The folder chosen; valid after the dialog was accepted.
    QString folder() const;

    /// Opens a folder in the folder list, as if the operator had opened it.
    void openFolder(const QString &path);

    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    /// Titles the chosen folder ("선택된 폴더").
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
