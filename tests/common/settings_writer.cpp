// settings_writer FILE: replaces FILE with version A, then B, then A ... as fast as it can, until
// it is killed. The crash-safety test kills it at random moments.

#include "TextFile.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QStringList a = {QStringLiteral("COM1"), QStringLiteral("9600"), QStringLiteral("N"),
                           QStringLiteral("8"),    QStringLiteral("1"),    QStringLiteral("SUM")};
    const QStringList b = {QStringLiteral("/dev/ttyUSB0"),
                           QStringLiteral("4800"),
                           QStringLiteral("E"),
                           QStringLiteral("7"),
                           QStringLiteral("2"),
                           QStringLiteral("STD")};
    for (unsigned i = 0;; ++i)
        TextFile::replaceLines(path, i % 2 ? b : a);
}
