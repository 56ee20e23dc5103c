#pragma once

#include "FolderPicker.h"

/// The monitor's folder picker for the recording folder: it starts at the recording folder, or at
/// the program folder when that is empty or no longer exists.
class frmSelectFolder : public FolderPicker
{
    Q_OBJECT

public:
    frmSelectFolder(const QString &recordingFolder, const QString &programFolder,
                    QWidget *parent = nullptr)
        : FolderPicker(recordingFolder, programFolder, parent)
    {}
};
