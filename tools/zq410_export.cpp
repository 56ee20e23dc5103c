// zq410-export FILE OUT.xlsx: the viewer's spreadsheet export as a whole process, without
// opening the result. Prints the line count, the time and the peak memory to standard error.

#include "TrendExport.h"

#include "PeakMemory.h"
#include "Version.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "zq410-export"))
        return 0;
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zq410-export FILE OUT.xlsx\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const TrendExport::Result result =
        TrendExport::write(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    if (!result.ok) {
        std::fprintf(stderr, "zq410-export: %s\n", qPrintable(result.error));
        return 1;
    }
    std::fprintf(stderr, "%lld lines, %lld ms, peak %ld KiB\n",
                 static_cast<long long>(result.lines), static_cast<long long>(clock.elapsed()),
                 peakResidentKiB());
    return 0;
}
