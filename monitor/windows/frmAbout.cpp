#include "frmAbout.h"

#include "Version.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("대하여"));
    lblTitle = new QLabel(QStringLiteral("ZQ410 온도 조절기 모니터"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont font = lblTitle->font();
    font.setPointSize(font.pointSize() + 4);
    font.setBold(true);
    lblTitle->setFont(font);
    lblVersion = new QLabel(QStringLiteral("Version %1").arg(QLatin1String(Version::Number)), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    btnClose = new QPushButton(QStringLiteral("닫기[&C]"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion);
    layout->addWidget(btnClose, 0, Qt::AlignRight);
}
