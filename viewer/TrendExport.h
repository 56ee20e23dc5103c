#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>

/// Writes a trend data file into a spreadsheet workbook (.xlsx): sheet "Graph Data", headings
/// "저장일자", "저장시간", "SV", "제어온도", "보조온도" in A1 to E1, line r of the file in row r +
/// 1 (or only the lines of a range of records), field k in column k + 1. The date and time fields
/// become date and time cells shown as in the file, fields that read fully as decimal numbers
/// become numbers, the rest text. Past the sheet's row limit the lines go on in "Graph Data (2)",
/// "Graph Data (3)", ... each with the heading row. Written in constant memory, to a temporary name
/// that takes the final name only when the workbook is complete. Both are the user's own: the
/// temporary file is created anew (never through a link or over a file already there), the workbook
/// readable by its owner only.
class TrendExport
{
public:
    /// Rows of a worksheet, the heading row included.
    static constexpr qsizetype SheetRowLimit = 1048576;

    struct Result
    {
        bool ok = false;
        /// Why it failed, for the operator.
        QString error;
        qsizetype lines = 0;
    };

    using Progress = std::function<void(double share)>;
    /// Records [first, last) of a file, counted as the viewer counts its samples (lines that
    /// are not records are not counted).
    using Records = std::pair<qsizetype, qsizetype>;

    /// With records given, only those lines are written (a range between the cursors).
    static Result write(const QString &trendPath, const QString &workbookPath,
                        const Progress &progress = {}, qsizetype rowLimit = SheetRowLimit,
                        std::optional<Records> records = std::nullopt);

    /// The name of the nth sheet (from 1): "Graph Data", then "Graph Data (2)", ...
    static QString sheetName(int index);
    /// A workbook path in the folder named after the trend file (and the suffix) that no file
    /// has yet.
    static QString newWorkbookPath(const QString &folder, const QString &trendPath,
                                   const QString &suffix = QString());
    /// A folder for workbooks that only this user can enter: made anew in the temporary folder
    /// (mode 0700, a unique name), so nobody else can plant a link where a workbook is written.
    /// Empty when none can be made.
    static QString makePrivateFolder();
};
