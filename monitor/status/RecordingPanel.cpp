#include "RecordingPanel.h"

#include "SettingsFiles.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>

namespace {

QLabel *namedLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

RecordingPanel::RecordingPanel(QWidget *parent) : QGroupBox(QStringLiteral("데이터 저장"), parent)
{
    auto *enableCaption = new QLabel(QStringLiteral("저장 여부"), this);
    enableCaption->setGeometry(8, 24, 113, 20);
    lblDSave_Enable = namedLabel("lblDSave_Enable", this);
    lblDSave_Enable->setGeometry(8, 46, 113, 24);
    auto *intervalCaption = new QLabel(QStringLiteral("저장 주기"), this);
    intervalCaption->setGeometry(8, 78, 113, 20);
    lblDSave_Intv = namedLabel("lblDSave_Intv", this);
    lblDSave_Intv->setGeometry(8, 100, 60, 24);
    lblDSave_Unit = namedLabel("lblDSave_Unit", this);
    lblDSave_Unit->setGeometry(72, 100, 49, 24);
    lblDSave_Fault = namedLabel("lblDSave_Fault", this);
    lblDSave_Fault->setGeometry(4, 122, 121, 20);
    lblDSave_Fault->setAlignment(Qt::AlignCenter);
    QPalette alarm = lblDSave_Fault->palette();
    alarm.setColor(QPalette::Window, QColor(255, 0, 0));
    alarm.setColor(QPalette::WindowText, Qt::white);
    lblDSave_Fault->setPalette(alarm);
    lblDSave_Fault->setAutoFillBackground(true);
    lblDSave_Fault->hide();
}

void RecordingPanel::showSettings(const RecordingSettings &settings)
{
    lblDSave_Enable->setText(settings.RecordSwitch);
    lblDSave_Intv->setText(QString::number(settings.RecordInterval));
    lblDSave_Unit->setText(settings.RecordUnit);
}

void RecordingPanel::showFault(const QDateTime &missedSince, const QString &dataFolder)
{
    lblDSave_Fault->setVisible(missedSince.isValid());
    if (!missedSince.isValid())
        return;
    lblDSave_Fault->setText(
        QStringLiteral("기록 실패 %1~").arg(missedSince.toString(QStringLiteral("HH:mm:ss"))));
    lblDSave_Fault->setToolTip(
        QStringLiteral("%1부터 트렌드 파일에 기록하지 못하고 있습니다. 디스크 공간과 데이터 "
                       "폴더의 쓰기 권한을 확인하십시오.\n%2")
            .arg(missedSince.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 QDir::toNativeSeparators(dataFolder)));
}
