#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

/// The About window: program name, version, a link to the maker's home page, a close button.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    static inline const QString HomePage = QStringLiteral("https://www.example.com/zq410");

    explicit frmAbout(QWidget *parent = nullptr);

private:
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblLink = nullptr;
    QPushButton *btnClose = nullptr;
};
