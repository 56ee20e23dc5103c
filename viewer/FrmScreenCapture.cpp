#include "FrmScreenCapture.h"

#include "FileNames.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImageWriter>
#include <QWidget>

QImage FrmScreenCapture::CaptureScreenRect(QWidget *chart)
{
    QImage image = chart->grab().toImage();
    if (image.size() != chart->size())
        image = image.scaled(chart->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QApplication::clipboard()->setImage(image);
    return image;
}

bool FrmScreenCapture::saveBmp(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "BMP");
    return writer.write(image);
}

QString FrmScreenCapture::askFileName(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("화면프린트"), QString(),
                       QStringLiteral("BMP FILES(*.BMP)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void FrmScreenCapture::run(QWidget *chart, QWidget *parent, const FileChooser &choose)
{
    const QImage image = CaptureScreenRect(chart);
    const QString path = FileNames::withSuffix(choose(parent), QStringLiteral("BMP"));
    if (!path.isEmpty())
        saveBmp(image, path);
}
