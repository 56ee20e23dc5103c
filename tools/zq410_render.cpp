// zq410-render FILE OUT.png|OUT.pdf [--margins T,B,L,R] [--size WxH] [--compare FILE2]
//               [--statistics] [--limit X]: a trend data file drawn as the viewer draws it, with
// the viewer's settings of this program folder (series colours and visibility), offscreen.
// OUT.pdf is the viewer's printed page (landscape, margins in mm, by default those of
// PrintMargin.CFG, else 0); any other name gets a PNG picture (default size 1001x545). FILE2 is
// drawn over FILE for comparison (dashed, both from their first record); --statistics adds the
// table of the visible range's figures, --limit its time above and below X. Prints the line
// count, the times and the peak memory to standard error.

#include "AlarmChartMarks.h"
#include "KoreanUi.h"
#include "PeakMemory.h"
#include "PrintPage.h"
#include "TrendChart.h"
#include "TrendFile.h"
#include "TrendFileReader.h"
#include "Version.h"
#include "ViewerSettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <cstdio>

namespace {

const QSize DefaultSize(1001, 545);

int fail(const QString &text)
{
    std::fprintf(stderr, "zq410-render: %s\n", qPrintable(text));
    return 2;
}

/// "T,B,L,R" in millimetres.
std::optional<PrintPage::MarginsMm> parseMargins(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    PrintPage::MarginsMm margins{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        margins[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return margins;
}

PrintPage::MarginsMm storedMargins(const ViewerSettings &settings)
{
    PrintPage::MarginsMm margins{};
    if (const auto texts = settings.LoadPrintMargins()) {
        for (int i = 0; i < 4; ++i)
            margins[i] = texts->at(i).toDouble();
    }
    return margins;
}

void applyViewerSettings(TrendChart &chart, const ViewerSettings &settings)
{
    const QStringList names = TrendFile::seriesNames();
    for (int s = 0; s < 3; ++s)
        chart.setSeriesName(s, names[s]);
    chart.setTitle(TrendChart::Title::Left, QStringLiteral("온도(℃)"));
    chart.setTitle(TrendChart::Title::Bottom, QStringLiteral("시간"));
    settings.LoadSeriesColors(
        [&chart](int series, const QColor &color) { chart.setSeriesColor(series, color); });
    const auto shown = settings.LoadUseItems().value_or(std::array<bool, 3>{true, true, true});
    for (int s = 0; s < 3; ++s)
        chart.setSeriesVisible(s, shown[s]);
    chart.set3D(true);
}

} // namespace

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "zq410-render"))
        return 0;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    KoreanUi::applyFont(); // the pages as the viewer prints them
    QCommandLineParser parser;
    const QCommandLineOption marginsOption(QStringLiteral("margins"),
                                           QStringLiteral("Page margins in mm (PDF)."),
                                           QStringLiteral("T,B,L,R"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Picture size in pixels (PNG)."),
                                        QStringLiteral("WxH"));
    const QCommandLineOption compareOption(
        QStringLiteral("compare"), QStringLiteral("A second trend file drawn over the first."),
        QStringLiteral("FILE2"));
    const QCommandLineOption statisticsOption(
        QStringLiteral("statistics"), QStringLiteral("Shows the visible range's statistics."));
    const QCommandLineOption limitOption(QStringLiteral("limit"),
                                         QStringLiteral("The statistics' time above and below X."),
                                         QStringLiteral("X"));
    parser.addOptions({marginsOption, sizeOption, compareOption, statisticsOption, limitOption});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A trend data file."));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("OUT.png or OUT.pdf."));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return fail(QStringLiteral("usage: zq410-render FILE OUT.png|OUT.pdf [--margins T,B,L,R] "
                                   "[--size WxH] [--compare FILE2] [--statistics] [--limit X]"));
    const ViewerSettings settings(QCoreApplication::applicationDirPath());
    PrintPage::MarginsMm margins = storedMargins(settings);
    if (parser.isSet(marginsOption)) {
        const auto given = parseMargins(parser.value(marginsOption));
        if (!given)
            return fail(QStringLiteral("margins are four numbers in mm: T,B,L,R"));
        margins = *given;
    }
    QSize size = DefaultSize;
    if (parser.isSet(sizeOption)) {
        const QStringList wh = parser.value(sizeOption).split(QLatin1Char('x'));
        size = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
        if (size.width() < 50 || size.height() < 50 || size.width() > 20000 ||
            size.height() > 20000)
            return fail(QStringLiteral("the size is WxH in pixels, 50 to 20000 each"));
    }

    std::optional<double> limit;
    if (parser.isSet(limitOption)) {
        bool ok = false;
        limit = parser.value(limitOption).toDouble(&ok);
        if (!ok)
            return fail(QStringLiteral("the limit is a number"));
    }

    QElapsedTimer clock;
    clock.start();
    std::optional<TrendFileReader::Contents> contents = TrendFileReader::read(files[0]);
    if (!contents)
        return fail(QStringLiteral("cannot open %1").arg(files[0]));
    const qint64 loadMs = clock.elapsed();
    const qsizetype lines = contents->samples.size();
    if (contents->samples.untimedCount() > lines / 2)
        std::fprintf(stderr, "%lld of %lld records have no readable time: not a trend file?\n",
                     static_cast<long long>(contents->samples.untimedCount()),
                     static_cast<long long>(lines));

    TrendChart chart;
    chart.resize(size);
    applyViewerSettings(chart, settings);
    chart.setData(std::move(contents->samples));
    chart.setEventMarks(AlarmChartMarks::forTrendFile(files[0], chart.data()));
    if (parser.isSet(compareOption)) {
        const QString second = parser.value(compareOption);
        std::optional<TrendFileReader::Contents> compared = TrendFileReader::read(second);
        if (!compared)
            return fail(QStringLiteral("cannot open %1").arg(second));
        chart.setComparison(std::move(compared->samples), QFileInfo(second).fileName());
        chart.setTitle(TrendChart::Title::Bottom, QStringLiteral("경과 시간"));
    }
    chart.setStatisticsVisible(parser.isSet(statisticsOption) || limit.has_value());
    chart.setStatisticsLimit(limit);
    bool written = false;
    if (files[1].endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(files[1]);
        QStringList adjusted;
        written = PrintPage::print(chart, printer, margins, &adjusted);
        if (!adjusted.isEmpty())
            std::fprintf(stderr, "margins brought within the page: %s\n",
                         qPrintable(adjusted.join(QStringLiteral(", "))));
    } else {
        written = chart.renderToImage(size).save(files[1], "PNG");
    }
    std::fprintf(stderr, "%lld lines, load %lld ms, total %lld ms, peak %ld KiB\n",
                 static_cast<long long>(lines), static_cast<long long>(loadMs),
                 static_cast<long long>(clock.elapsed()), peakResidentKiB());
    return written ? 0 : 1;
}
