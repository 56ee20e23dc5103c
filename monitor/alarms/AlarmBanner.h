#pragma once

#include <QLabel>

class AlarmEngine;

/// The main window's alarm banner (in its menu bar): the number of unacknowledged alarms and the
/// newest, on red until they are acknowledged; amber while acknowledged alarms are still active;
/// hidden when every alarm is normal. A click asks for the alarm list.
class AlarmBanner : public QLabel
{
    Q_OBJECT

public:
    explicit AlarmBanner(const AlarmEngine &alarms, QWidget *parent = nullptr);

    void refresh();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const AlarmEngine &m_alarms;
};
