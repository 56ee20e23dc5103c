#pragma once

#include <QString>
#include <QVariant>
#include <optional>

/// Values of settings files in QSettings' INI form that the operator may write by hand.
namespace IniText {

/// A value's text. QSettings splits an unquoted value at its commas; they are put back.
QString of(const QVariant &value);
/// "true" or "false" in any case, blanks around ignored; nullopt for anything else.
std::optional<bool> boolOf(const QString &text);
/// The message for a value that cannot be taken: where ("Mqtt.INI", "Alarm.INI [01]"), the key,
/// the value as written and what was expected.
QString badValue(const QString &where, const QString &key, const QString &value,
                 const QString &expected);

} // namespace IniText
