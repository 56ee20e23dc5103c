#include "FileNames.h"

namespace FileNames {

QString withSuffix(const QString &path, const QString &suffix)
{
    const QString ending = QLatin1Char('.') + suffix;
    if (path.isEmpty() || path.endsWith(ending, Qt::CaseInsensitive))
        return path;
    return path + ending;
}

} // namespace FileNames
