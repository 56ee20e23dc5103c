#pragma once

#include "RequestFailure.h"

#include <QDialog>
#include <functional>

class MemoryTable;
class PollingEngine;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

/// The memory window "메모리 설정": the selected controller's 100 memory entries (SV, ON time,
/// OFF time) as a table the operator edits, read from and sent to the controller in twelve blocks,
/// saved to and loaded from .MEM files. The table cannot be edited while a transfer runs; a
/// transfer that stops says so with the blocks done. Closing the window stops a transfer at its
/// next block.
class frmZQ410_Memory : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_Memory(PollingEngine &engine, QWidget *parent = nullptr);

    /// The table as a .MEM file; false when it could not be written.
    bool saveTo(const QString &path) const;
    /// A .MEM file into the table; false, with the table unchanged, when it is not one.
    bool loadFrom(const QString &path);

    /// Asks for the file to save into; an empty name when the operator cancels.
    using SaveChooser = std::function<QString(QWidget *parent)>;
    /// How "파일로 저장" asks for its file (the save dialog); tests replace it.
    void setSaveChooser(SaveChooser chooser) { m_chooseSaveFile = std::move(chooser); }

private:
    enum class Transfer { None, Reading, Sending };

    void buildTable();
    void setTransfer(Transfer transfer);
    void onRequestFailed(const RequestFailure &failure);
    /// Saving or sending a table a read left incomplete is confirmed first.
    bool confirmIncomplete(const QString &action);
    void readFromController();
    void sendToController();
    void saveFile();
    void loadFile();
    void showProgress(int blocksDone);
    void setOnline(bool online);
    void updateButtons();
    void showMessage(const QString &text);

    PollingEngine &m_engine;
    MemoryTable *m_table = nullptr;
    QTableWidget *sprdMem = nullptr;
    QPushButton *btnR_MC = nullptr;
    QPushButton *btnS_MC = nullptr;
    QPushButton *btnS_File = nullptr;
    QPushButton *btnR_File = nullptr;
    QPushButton *btnClose = nullptr;
    QLabel *lblMsg = nullptr;
    QProgressBar *progress = nullptr;
    SaveChooser m_chooseSaveFile;
    Transfer m_transfer = Transfer::None;
    bool m_online = false;
    /// Blocks placed by a read that stopped short; -1 when the table is whole or not read.
    int m_incompleteBlocks = -1;
};
