#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

/// The About window: program name, version and a close button.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

private:
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QPushButton *btnClose = nullptr;
};
