#pragma once

#include <QSvgRenderer>
#include <QWidget>

/// The picture behind the status panel: a drawing of a controller's front panel, seen while the
/// monitor is not on line. Its displays are dark and its lamps off: nothing in it may pass for a
/// reading.
class PanelArtwork : public QWidget
{
    Q_OBJECT

public:
    explicit PanelArtwork(QWidget *parent = nullptr);

    bool isLoaded() const { return m_renderer.isValid(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QSvgRenderer m_renderer;
};
