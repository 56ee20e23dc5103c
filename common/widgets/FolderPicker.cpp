#include "FolderPicker.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

FolderPicker::FolderPicker(const QString &startFolder, const QString &fallbackFolder,
                           QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("폴더 선택"));
    Drive1 = new QComboBox(this);
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    Dir1 = new QTreeView(this);
    Dir1->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->header()->hide();
    Frame1 = new QGroupBox(QStringLiteral("선택된 폴더"), this);
    lblFolder = new QLabel(Frame1);
    lblFolder->setWordWrap(true);
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(lblFolder);
    btnOK = new QPushButton(QStringLiteral("확인[&O]"), this);
    btnCancel = new QPushButton(QStringLiteral("취소[&C]"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Drive1);
    layout->addWidget(Dir1, 1);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);
    resize(420, 480);

    fillDrives();
    connect(Drive1, &QComboBox::activated, this, &FolderPicker::onDriveChanged);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { lblFolder->setText(m_model->filePath(current)); });
    connect(btnOK, &QPushButton::clicked, this, &FolderPicker::confirm);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const bool usable = !startFolder.isEmpty() && QDir(startFolder).exists();
    openFolder(usable ? startFolder : fallbackFolder);
}

/// The mounted volumes, the system's own (/proc, /sys, ...) left out.
void FolderPicker::fillDrives()
{
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            Drive1->addItem(volume.rootPath());
    }
}

void FolderPicker::openFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    const QString root = QStorageInfo(clean).rootPath();
    int drive = Drive1->findText(root);
    if (drive < 0) {
        Drive1->addItem(root);
        drive = Drive1->count() - 1;
    }
    Drive1->setCurrentIndex(drive);
    Dir1->setRootIndex(m_model->setRootPath(root));
    const QModelIndex index = m_model->index(clean);
    Dir1->setCurrentIndex(index);
    Dir1->scrollTo(index);
    lblFolder->setText(clean);
}

/// Another volume: its top folder opens.
void FolderPicker::onDriveChanged(int index)
{
    openFolder(Drive1->itemText(index));
}

QString FolderPicker::folder() const
{
    return lblFolder->text();
}

void FolderPicker::confirm()
{
    if (lblFolder->text().isEmpty())
        return;
    accept();
}
