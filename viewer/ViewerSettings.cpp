#include "ViewerSettings.h"

#include "GridFile.h"
#include "NumberText.h"
#include "TextFile.h"
#include "TrendFile.h"

#include <QDir>

ViewerSettings::ViewerSettings(const QString &programFolder) : m_programFolder(programFolder) {}

QString ViewerSettings::folderConfigPath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("Folder.CFG"));
}

QString ViewerSettings::colorConfigPath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("ChartColor.CFG"));
}

QString ViewerSettings::useItemPath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("UseItem.CFG"));
}

QString ViewerSettings::marginPath() const
{
    return QDir(m_programFolder).filePath(QStringLiteral("PrintMargin.CFG"));
}

std::optional<QString> ViewerSettings::MonitorDataFolder() const
{
    const auto lines =
        TextFile::readLines(QDir(m_programFolder).filePath(QStringLiteral("CFG/SaveData.INI")));
    if (!lines || lines->size() < 5 || lines->at(3).isEmpty())
        return std::nullopt;
    return lines->at(3);
}

std::optional<QString> ViewerSettings::ReadFolderConfig() const
{
    const auto lines = TextFile::readLines(folderConfigPath());
    if (!lines || lines->isEmpty())
        return std::nullopt;
    return lines->first();
}

bool ViewerSettings::WriteFolderConfig(const QString &folder) const
{
    return TextFile::replaceLines(folderConfigPath(), {folder});
}

bool ViewerSettings::LoadSeriesColors(
    const std::function<void(int series, const QColor &)> &apply) const
{
    const auto lines = TextFile::readLines(colorConfigPath());
    if (!lines)
        return false;
    for (const QString &line : *lines) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma < 0)
            return false;
        const int column = NumberText::roundHalfEven(NumberText::leadingNumber(line.left(comma)));
        if (column < 1 || column > 3)
            return false;
        const double value = NumberText::leadingNumber(QStringView(line).mid(comma + 1));
        apply(column - 1, colorFromValue(qint64(std::clamp(value, 0.0, double(0xFFFFFF)))));
    }
    return true;
}

bool ViewerSettings::SaveSeriesColors(const std::array<QColor, 3> &colors) const
{
    QStringList lines;
    for (int column = 1; column <= 3; ++column)
        lines.append(QStringLiteral("%1,%2").arg(column).arg(colorValue(colors[column - 1])));
    return TextFile::replaceLines(colorConfigPath(), lines);
}

std::optional<std::array<QString, 4>> ViewerSettings::LoadPrintMargins() const
{
    const auto rows = GridFile::load(marginPath());
    if (!rows || rows->size() < 2 || rows->at(1).size() < 4)
        return std::nullopt;
    return std::array<QString, 4>{rows->at(1).at(0), rows->at(1).at(1), rows->at(1).at(2),
                                  rows->at(1).at(3)};
}

bool ViewerSettings::SavePrintMargins(const std::array<QString, 4> &margins) const
{
    return GridFile::save(marginPath(), {{QStringLiteral("Top"), QStringLiteral("Bottom"),
                                          QStringLiteral("Left"), QStringLiteral("Right")},
                                         {margins[0], margins[1], margins[2], margins[3]}});
}

std::optional<std::array<bool, 3>> ViewerSettings::LoadUseItems() const
{
    const auto rows = GridFile::load(useItemPath());
    if (!rows || rows->size() < 2 || rows->at(1).size() < 3)
        return std::nullopt;
    std::array<bool, 3> shown{};
    for (int c = 0; c < 3; ++c)
        shown[c] = rows->at(1).at(c) == QLatin1String("1");
    return shown;
}

bool ViewerSettings::SaveUseItems(const std::array<bool, 3> &shown) const
{
    QStringList states;
    for (bool s : shown)
        states.append(s ? QStringLiteral("1") : QStringLiteral("0"));
    return GridFile::save(useItemPath(), {TrendFile::seriesNames(), states});
}

qint64 ViewerSettings::colorValue(const QColor &color)
{
    return color.red() + 256 * qint64(color.green()) + 65536 * qint64(color.blue());
}

QColor ViewerSettings::colorFromValue(qint64 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
