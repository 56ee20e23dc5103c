#pragma once

#include <QFile>

/// Opens files only when they are regular files. A FIFO, a device or a socket in a file's place
/// would block the program in open() or read() (or feed it without end), so it counts as a
/// file that cannot be opened, with the same outcome as a missing or unwritable one.
namespace RegularFile {

/// Opens the file (named already) in the mode; false, and the file left closed, when it is not
/// a regular file or cannot be opened. Modes that write create a missing file as QFile does.
bool open(QFile &file, QIODevice::OpenMode mode);

} // namespace RegularFile
