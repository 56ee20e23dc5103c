#pragma once

#include <QString>

/// File names as the save dialogs of a fixed file type must leave them.
namespace FileNames {

/// path with ".suffix" appended unless it already ends in it (in any case): a file saved as
/// "PROG1" becomes "PROG1.MEM", so the open dialog filtered to *.MEM lists it. Empty stays empty.
QString withSuffix(const QString &path, const QString &suffix);

} // namespace FileNames
