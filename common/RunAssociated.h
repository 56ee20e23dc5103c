#pragma once

#include <QString>

/// Opens a file the way the platform opens it: a program is started, any other file is opened
/// with the program associated with its type. When no program is associated, the file's folder
/// is opened instead so the operator can choose one. Nothing is reported to the caller.
/// The operation is "OPEN" in every use; parameters go to a started program.
void RunAssociated(const QString &operation, const QString &file, const QString &parameters,
                   const QString &workingFolder);
