#include "IniText.h"

#include <QStringList>

namespace IniText {

QString of(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

std::optional<bool> boolOf(const QString &text)
{
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("false"))
        return word == QLatin1String("true");
    return std::nullopt;
}

QString badValue(const QString &where, const QString &key, const QString &value,
                 const QString &expected)
{
    return QStringLiteral("%1의 %2 값 \"%3\"이(가) 올바르지 않습니다 (%4).")
        .arg(where, key, value, expected);
}

} // namespace IniText
