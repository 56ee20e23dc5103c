#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <functional>
#include <optional>

/// The viewer's setting files in its program folder: Folder.CFG (the data folder),
/// ChartColor.CFG (the series colours) and UseItem.CFG (which series are shown).
class ViewerSettings
{
public:
    explicit ViewerSettings(const QString &programFolder);

    QString folderConfigPath() const;
    QString colorConfigPath() const;
    QString useItemPath() const;
    QString marginPath() const;

    /// The first line of Folder.CFG; nullopt when the file is missing, unreadable or empty.
    std::optional<QString> ReadFolderConfig() const;
    bool WriteFolderConfig(const QString &folder) const;
    /// The folder the monitor of the same program folder records to: line 4 of its
    /// CFG/SaveData.INI (five lines); nullopt without such a file or with an empty folder line.
    std::optional<QString> MonitorDataFolder() const;

    /// Applies the colours of ChartColor.CFG line by line ("column,colour", column 1 to 3, the
    /// colour red + 256 green + 65536 blue) through apply(series, colour). False at the first
    /// line that cannot be used; the lines before it stay applied.
    bool LoadSeriesColors(const std::function<void(int series, const QColor &)> &apply) const;
    bool SaveSeriesColors(const std::array<QColor, 3> &colors) const;

    /// The four margin texts of PrintMargin.CFG (top, bottom, left, right, millimetres);
    /// nullopt when the file cannot be loaded.
    std::optional<std::array<QString, 4>> LoadPrintMargins() const;
    bool SavePrintMargins(const std::array<QString, 4> &margins) const;

    /// The three check states of the visibility grid; nullopt when the file cannot be loaded.
    std::optional<std::array<bool, 3>> LoadUseItems() const;
    bool SaveUseItems(const std::array<bool, 3> &shown) const;

    /// A colour as the files hold it, and back.
    static qint64 colorValue(const QColor &color);
    static QColor colorFromValue(qint64 value);

private:
    QString m_programFolder;
};
