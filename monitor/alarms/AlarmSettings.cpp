#include "AlarmSettings.h"

#include "IniText.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>

namespace {

const QString General = QStringLiteral("General");

QString groupOf(int deviceNo)
{
    return QStringLiteral("%1").arg(deviceNo, 2, 10, QLatin1Char('0'));
}

QString badValue(const QString &group, const QString &key, const QString &value,
                 const QString &expected)
{
    return IniText::badValue(QStringLiteral("Alarm.INI [%1]").arg(group), key, value, expected);
}

QString textOf(const QVariant &value)
{
    return IniText::of(value).trimmed();
}

/// A limit: empty is off, otherwise a number.
void readLimit(const QSettings &file, const QString &group, const QString &key,
               std::optional<double> &target, QString &error)
{
    const QString text = textOf(file.value(key));
    if (text.isEmpty())
        return;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok)
        target = value;
    else if (error.isEmpty())
        error = badValue(group, key, text, QStringLiteral("숫자, 또는 비워서 끔"));
}

/// A whole number of [General]; empty keeps the default.
void readWhole(const QSettings &file, const QString &key, int &target, const QString &expected,
               QString &error)
{
    const QString text = textOf(file.value(key));
    if (text.isEmpty())
        return;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok)
        target = value;
    else if (error.isEmpty())
        error = badValue(General, key, text, expected);
}

QString limitText(const std::optional<double> &limit)
{
    return limit ? QString::number(*limit) : QString();
}

} // namespace

AlarmSettings::Read AlarmSettings::read(QSettings &file)
{
    Read read;
    QString &error = read.error;
    const QString sound = textOf(file.value(QStringLiteral("Sound"))).toLower();
    if (const std::optional<bool> on = IniText::boolOf(sound))
        read.settings.Sound = *on;
    else if (!sound.isEmpty())
        error =
            badValue(General, QStringLiteral("Sound"), sound, QStringLiteral("true 또는 false"));
    readWhole(file, QStringLiteral("Volume"), read.settings.Volume, QStringLiteral("0~100"), error);
    readWhole(file, QStringLiteral("RepeatSeconds"), read.settings.RepeatSeconds,
              QStringLiteral("1~%1초").arg(MaxRepeatSeconds), error);
    for (const QString &group : file.childGroups()) {
        bool numbered = false;
        const int deviceNo = group.toInt(&numbered);
        if (!numbered || deviceNo < 1 || deviceNo > 99 || group.size() != 2)
            continue;
        AlarmLimits limits;
        file.beginGroup(group);
        readLimit(file, group, QStringLiteral("High"), limits.High, error);
        readLimit(file, group, QStringLiteral("Low"), limits.Low, error);
        readLimit(file, group, QStringLiteral("Deviation"), limits.Deviation, error);
        std::optional<double> deadband;
        readLimit(file, group, QStringLiteral("Deadband"), deadband, error);
        limits.Deadband = deadband.value_or(limits.Deadband);
        const QString delay = textOf(file.value(QStringLiteral("OnDelay")));
        bool ok = true;
        if (!delay.isEmpty())
            limits.OnDelay = delay.toInt(&ok);
        if (!ok && error.isEmpty())
            error = badValue(group, QStringLiteral("OnDelay"), delay, QStringLiteral("초"));
        file.endGroup();
        read.settings.limits.insert(deviceNo, limits);
    }
    if (error.isEmpty())
        error = read.settings.problem();
    return read;
}

void AlarmSettings::write(QSettings &file) const
{
    file.setValue(QStringLiteral("Sound"), Sound ? "true" : "false");
    file.setValue(QStringLiteral("Volume"), Volume);
    file.setValue(QStringLiteral("RepeatSeconds"), RepeatSeconds);
    for (auto it = limits.cbegin(); it != limits.cend(); ++it) {
        file.beginGroup(groupOf(it.key()));
        file.setValue(QStringLiteral("High"), limitText(it->High));
        file.setValue(QStringLiteral("Low"), limitText(it->Low));
        file.setValue(QStringLiteral("Deviation"), limitText(it->Deviation));
        file.setValue(QStringLiteral("Deadband"), it->Deadband);
        file.setValue(QStringLiteral("OnDelay"), it->OnDelay);
        file.endGroup();
    }
}

bool AlarmSettings::anyLimits() const
{
    return std::any_of(limits.cbegin(), limits.cend(),
                       [](const AlarmLimits &limits) { return !limits.isEmpty(); });
}

QString AlarmSettings::problem() const
{
    if (Volume < 0 || Volume > 100)
        return badValue(General, QStringLiteral("Volume"), QString::number(Volume),
                        QStringLiteral("0~100"));
    if (RepeatSeconds < 1 || RepeatSeconds > MaxRepeatSeconds)
        return badValue(General, QStringLiteral("RepeatSeconds"), QString::number(RepeatSeconds),
                        QStringLiteral("1~%1초").arg(MaxRepeatSeconds));
    for (auto it = limits.cbegin(); it != limits.cend(); ++it) {
        const QString group = groupOf(it.key());
        if (it->Deadband < 0)
            return badValue(group, QStringLiteral("Deadband"), QString::number(it->Deadband),
                            QStringLiteral("0 이상"));
        if (it->OnDelay < 0 || it->OnDelay > MaxOnDelay)
            return badValue(group, QStringLiteral("OnDelay"), QString::number(it->OnDelay),
                            QStringLiteral("0~%1초").arg(MaxOnDelay));
        if (it->Deviation && *it->Deviation <= 0)
            return badValue(group, QStringLiteral("Deviation"), QString::number(*it->Deviation),
                            QStringLiteral("0보다 큰 수"));
        if (it->High && it->Low && *it->Low >= *it->High)
            return badValue(group, QStringLiteral("Low"), QString::number(*it->Low),
                            QStringLiteral("High보다 작은 수"));
    }
    return {};
}
