#include "frmZQ410_Set_DSave.h"

#include "GradientLabel.h"
#include "Notice.h"
#include "NumberEdit.h"
#include "NumberText.h"
#include "frmSelectFolder.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmZQ410_Set_DSave::frmZQ410_Set_DSave(const RecordingSettings &current, const SettingsFiles &files,
                                       const QString &programFolder, QWidget *parent)
    : QDialog(parent), m_files(files), m_programFolder(programFolder)
{
    setWindowTitle(QStringLiteral("데이터 저장 설정"));
    setFixedSize(830, 151);
    build();
    ShowRecordingSettings(current);
    connect(lblFolder, &GradientLabel::clicked, this, &frmZQ410_Set_DSave::pickFolder);
    connect(btnOK, &QPushButton::clicked, this, &frmZQ410_Set_DSave::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmZQ410_Set_DSave::build()
{
    const struct
    {
        QString text;
        int x;
        int width;
    } titles[] = {{QStringLiteral("저장여부"), 8, 65},
                  {QStringLiteral("저장주기"), 80, 65},
                  {QStringLiteral("단위"), 152, 65},
                  {QStringLiteral("저장폴더"), 224, 441},
                  {QStringLiteral("파일명"), 672, 153}};
    for (const auto &title : titles) {
        auto *label = new GradientLabel(title.text, this);
        label->setGeometry(title.x, 8, title.width, 33);
        label->setAlignment(Qt::AlignCenter);
    }
    cmbSave = new QComboBox(this);
    cmbSave->setObjectName(QStringLiteral("cmbSave"));
    cmbSave->setEditable(true);
    cmbSave->addItems({QStringLiteral("Yes"), QStringLiteral("No")});
    cmbSave->setGeometry(8, 48, 65, 25);
    txtSaveInterval = new NumberEdit(this);
    txtSaveInterval->setObjectName(QStringLiteral("txtSaveInterval"));
    txtSaveInterval->setGeometry(80, 48, 65, 25);
    txtSaveInterval->setLimits(1, 60);
    cmbUnit = new QComboBox(this);
    cmbUnit->setObjectName(QStringLiteral("cmbUnit"));
    cmbUnit->setEditable(true);
    cmbUnit->addItems({QStringLiteral("초"), QStringLiteral("분")});
    cmbUnit->setGeometry(152, 48, 65, 25);
    lblFolder = new GradientLabel(QString(), this);
    lblFolder->setObjectName(QStringLiteral("lblFolder"));
    lblFolder->setColors(Qt::white, Qt::white);
    lblFolder->setGeometry(224, 48, 441, 25);
    lblFolder->setFrameShape(QFrame::Box);
    lblFolder->setCursor(Qt::PointingHandCursor);
    lblFolder->setToolTip(QStringLiteral("클릭하면 폴더를 바꿀 수 있습니다."));
    txtFName = new QLineEdit(this);
    txtFName->setObjectName(QStringLiteral("txtFName"));
    txtFName->setGeometry(672, 48, 153, 25);
    auto *note = new QLabel(
        QStringLiteral(
            "기기번호에 따라 _01.DAT ~ _99.DAT 가 입력된 파일명 뒤에 붙여서 생성됩니다."),
        this);
    note->setGeometry(320, 80, 505, 25);
    note->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    btnOK = new QPushButton(QStringLiteral("확인[&O]"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(616, 112, 97, 33);
    btnCancel = new QPushButton(QStringLiteral("취소[&C]"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(728, 112, 97, 33);
}

/// The inputs start from SaveData.INI, or from the settings in force when it cannot be read.
void frmZQ410_Set_DSave::ShowRecordingSettings(const RecordingSettings &current)
{
    const RecordingSettings shown = m_files.StoredRecordingSettings().value_or(current);
    cmbSave->setCurrentText(shown.RecordSwitch);
    txtSaveInterval->setText(QString::number(shown.RecordInterval));
    cmbUnit->setCurrentText(shown.RecordUnit);
    lblFolder->setText(shown.DataFolder);
    txtFName->setText(shown.DataFilePrefix);
}

void frmZQ410_Set_DSave::pickFolder()
{
    frmSelectFolder picker(lblFolder->text(), m_programFolder, this);
    if (picker.exec() == QDialog::Accepted)
        lblFolder->setText(picker.folder());
}

RecordingSettings frmZQ410_Set_DSave::settings() const
{
    RecordingSettings s;
    s.RecordSwitch = cmbSave->currentText();
    s.RecordInterval =
        NumberText::roundHalfEven(NumberText::leadingNumber(txtSaveInterval->text()));
    s.RecordUnit = cmbUnit->currentText();
    s.DataFolder = lblFolder->text();
    s.DataFilePrefix = txtFName->text();
    return s;
}

/// Checks the folder and the name and closes; the opener has the engine store and apply them.
void frmZQ410_Set_DSave::confirm()
{
    if (lblFolder->text().isEmpty()) {
        showMessage(QStringLiteral("저장폴더를 선택하시오."));
        return;
    }
    if (txtFName->text().isEmpty()) {
        showMessage(QStringLiteral("파일명을 입력하시오."));
        return;
    }
    accept();
}

void frmZQ410_Set_DSave::showMessage(const QString &text)
{
    Notice::show(this, text);
}
