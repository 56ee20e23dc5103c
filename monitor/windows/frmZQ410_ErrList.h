#pragma once

#include <QDialog>

class PollingEngine;
class QPushButton;
class QTableWidget;

/// The error list "에러 메시지": the five error codes the selected controller keeps in registers
/// 700 to 704, each with its name. Opening it reads them once; a code of 0 or less leaves its
/// row empty.
class frmZQ410_ErrList : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_ErrList(PollingEngine &engine, QWidget *parent = nullptr);

    /// The name of an error code; "알 수 없는 에러" for a code without one.
    static QString errorText(int code);

private:
    void ShowErrorCodes(const QList<int> &codes);

    QTableWidget *sprdErr = nullptr;
    QPushButton *btnClose = nullptr;
};
