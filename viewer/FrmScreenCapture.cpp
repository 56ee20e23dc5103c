#include "FrmScreenCapture.h"

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

void FrmScreenCapture::run(QWidget *chart, QWidget *parent)
{
    const QImage image = CaptureScreenRect(chart);
    QFileDialog dialog(parent, QStringLiteral("화면프린트"), QString(),
                       QStringLiteral("BMP FILES(*.BMP)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Qt's own dialog: the name stays exactly as typed, and an existing file is replaced
    // without a question.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveBmp(image, dialog.selectedFiles().first());
}
