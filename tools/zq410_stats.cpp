// zq410-stats FILE [--from "YYYY-MM-DD HH:MM:SS"] [--to "YYYY-MM-DD HH:MM:SS"] [--limit X]:
// the figures of a trend file's range for scripts and reports, one tab-separated row per series
// (named as in the chart's legend): count, min, max, mean, population standard deviation, and
// the minutes spent above and below the limit ("-" without one). An empty range prints the
// header and exits 1 with a message.

#include "NumberText.h"
#include "TrendFile.h"
#include "TrendFileReader.h"
#include "TrendStatistics.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <limits>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "zq410-stats: %s\n", message.toUtf8().constData());
    return 2;
}

/// A time option as the trend files write times; nullopt for one that is not such a time.
std::optional<qint32> timeOption(const QString &text)
{
    const QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        return std::nullopt;
    return TrendData::timeOf(time);
}

QString minutes(const std::optional<double> &limit, double seconds)
{
    return limit ? QString::number(seconds / 60.0, 'f', 1) : QStringLiteral("-");
}

} // namespace

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "zq410-stats"))
        return 0;
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Count, min, max, mean, standard deviation and the minutes above and "
                       "below a limit of each series of a ZQ410 trend file's range."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A trend file (*.DAT)."));
    const QCommandLineOption fromOption(QStringLiteral("from"),
                                        QStringLiteral("First time of the range."),
                                        QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("Last time of the range."),
                                      QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    const QCommandLineOption limitOption(QStringLiteral("limit"),
                                         QStringLiteral("The limit for minutes above and below."),
                                         QStringLiteral("X"));
    parser.addOptions({fromOption, toOption, limitOption});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("one trend file is needed (see --help)"));

    qint32 from = std::numeric_limits<qint32>::min() + 1;
    qint32 to = std::numeric_limits<qint32>::max();
    for (const auto &[option, target] :
         {std::pair{&fromOption, &from}, std::pair{&toOption, &to}}) {
        if (!parser.isSet(*option))
            continue;
        const auto time = timeOption(parser.value(*option));
        if (!time)
            return fail(QStringLiteral("--%1 \"%2\" is not a time YYYY-MM-DD HH:MM:SS")
                            .arg(option->names().first(), parser.value(*option)));
        *target = *time;
    }
    std::optional<double> limit;
    if (parser.isSet(limitOption)) {
        bool ok = false;
        limit = parser.value(limitOption).toDouble(&ok);
        if (!ok)
            return fail(
                QStringLiteral("--limit \"%1\" is not a number").arg(parser.value(limitOption)));
    }

    const QString path = parser.positionalArguments().first();
    const std::optional<TrendFileReader::Contents> contents = TrendFileReader::read(path);
    if (!contents)
        return fail(QStringLiteral("cannot open %1").arg(path));
    std::printf("series\tcount\tmin\tmax\tmean\tstddev\tminutes_above\tminutes_below\n");
    const auto range = TrendStatistics::samplesBetween(contents->samples, from, to);
    if (!range) {
        std::fflush(stdout);
        std::fprintf(stderr, "zq410-stats: no record in the range\n");
        return 1;
    }
    const TrendStatistics::All all =
        TrendStatistics::over(contents->samples, range->first, range->second, limit);
    for (int series = 0; series < TrendData::SeriesCount; ++series) {
        const SeriesStatistics &s = all[size_t(series)];
        std::printf("%s\t%lld\t%s\t%s\t%.6f\t%.6f\t%s\t%s\n",
                    TrendFile::seriesNames().at(series).toUtf8().constData(),
                    static_cast<long long>(s.count),
                    NumberText::recorded(double(s.min)).toUtf8().constData(),
                    NumberText::recorded(double(s.max)).toUtf8().constData(), s.mean, s.stddev,
                    minutes(limit, s.secondsAbove).toUtf8().constData(),
                    minutes(limit, s.secondsBelow).toUtf8().constData());
    }
    return 0;
}
