#pragma once

#include <QString>

/// Where a program keeps its settings files: its program folder.
namespace ProgramDirectory {

/// The executable's folder when a file can be created there (a build tree, a copied folder);
/// otherwise (an installed package) $XDG_CONFIG_HOME/ZQ410, by default ~/.config/ZQ410, created
/// when missing. Both programs use the same rule, so they share one folder.
QString choose(const QString &executableFolder);

} // namespace ProgramDirectory
