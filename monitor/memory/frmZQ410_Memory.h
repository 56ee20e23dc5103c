#pragma once

#include <QDialog>

class MemoryTable;
class PollingEngine;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

/// The memory window "메모리 설정": the selected controller's 100 memory entries (SV, ON time,
/// OFF time) as a table the operator edits, read from and sent to the controller in twelve blocks,
/// saved to and loaded from .MEM files. Closing the window stops a send at its next block.
class frmZQ410_Memory : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_Memory(PollingEngine &engine, QWidget *parent = nullptr);

    /// The table as a .MEM file; false when it could not be written.
    bool saveTo(const QString &path) const;
    /// A .MEM file into the table; false, with the table unchanged, when it is not one.
    bool loadFrom(const QString &path);

private:
    void buildTable();
    void readFromController();
    void sendToController();
    void saveFile();
    void loadFile();
    void showProgress(int blocksDone);
    void setOnline(bool online);
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
};
