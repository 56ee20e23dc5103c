#pragma once

#include <QImage>
#include <QString>

class QWidget;

/// The picture of the chart: the chart as it is shown, grabbed at its on-screen size, put on
/// the clipboard and saved as a BMP file under the name the operator types, exactly as typed.
class FrmScreenCapture
{
public:
    /// Grabs the widget into an image of its size and puts it on the clipboard.
    static QImage CaptureScreenRect(QWidget *chart);
    /// Writes the image in BMP format whatever the name's extension; false when it cannot.
    static bool saveBmp(const QImage &image, const QString &path);
    /// Captures, then asks for the file ("BMP FILES(*.BMP)"). Cancel saves nothing and leaves the
    /// picture on the clipboard; a failed save says nothing.
    static void run(QWidget *chart, QWidget *parent);
};
