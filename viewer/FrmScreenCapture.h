#pragma once

#include <QImage>
#include <QString>
#include <functional>

class QWidget;

/// The picture of the chart: the chart as it is shown, grabbed at its on-screen size, put on
/// the clipboard and saved as a BMP file under the name the operator types, exactly as typed.
class FrmScreenCapture
{
public:
    /// Asks for the file to save into; an empty name when the operator cancels.
    using FileChooser = std::function<QString(QWidget *parent)>;

    /// Grabs the widget into an image of its size and puts it on the clipboard.
    static QImage CaptureScreenRect(QWidget *chart);
    /// Writes the image in BMP format whatever the name's extension; false when it cannot.
    static bool saveBmp(const QImage &image, const QString &path);
    /// The save dialog ("BMP FILES(*.BMP)"): Qt's own, so the name stays exactly as typed and
    /// an existing file is replaced without a question.
    static QString askFileName(QWidget *parent);
    /// Captures, then asks for the file. Cancel saves nothing and leaves the picture on the
    /// clipboard; a failed save says nothing.
    static void run(QWidget *chart, QWidget *parent, const FileChooser &choose = askFileName);
};
