#pragma once

#include "ElidedLabel.h"

class AlarmEngine;

/// The main window's alarm banner (in its menu bar): the number of unacknowledged alarms and the
/// newest, on red until they are acknowledged; amber while acknowledged alarms are still active;
/// yellow "감시 중지" while the line is not watched (port closed) although alarm limits are set;
/// hidden otherwise. A click asks for the alarm list.
class AlarmBanner : public ElidedLabel
{
    Q_OBJECT

public:
    static inline const QString NotWatching = QStringLiteral("감시 중지");

    explicit AlarmBanner(const AlarmEngine &alarms, QWidget *parent = nullptr);

    void refresh();
    /// The port is open: the line is polled and its alarms judged.
    void setWatching(bool watching);

private:
    void display(const QString &text, const QString &style, const QString &tip);

    const AlarmEngine &m_alarms;
    bool m_watching = false;
};
