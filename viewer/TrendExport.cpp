#include "TrendExport.h"

#include "Cp949.h"
#include "RegularFile.h"
#include "TextLines.h"
#include "TrendFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <charconv>
#include <xlsxwriter.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

/// Creates an empty file of the user's own at the path, readable by the owner only; false when
/// anything (a file, a link) is already there.
bool createOwnFile(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
#else
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
#endif
}

const char *const Headings[] = {"저장일자", "저장시간", "SV", "제어온도", "보조온도"};
constexpr lxw_col_t MaxColumns = 16384;
/// The longest text a cell holds.
constexpr qsizetype MaxCellText = 32767;
/// Column widths in characters: a date, a time, then the values (each wide enough for its
/// Korean heading, which counts double).
constexpr std::array<double, 5> ColumnWidths = {12, 10, 10, 10, 10};
/// Number cells keep the decimals they have in the file, up to this many.
constexpr int MaxDecimals = 9;

/// The decimals written after the point of a number text: 1 for "60.0", 0 for "253".
int decimalsOf(QByteArrayView text)
{
    const qsizetype point = text.indexOf('.');
    return point < 0 ? 0 : int(std::min<qsizetype>(text.size() - point - 1, MaxDecimals));
}

/// Digits only, exactly width of them, at text[at].
int digits(QByteArrayView text, qsizetype at, qsizetype width)
{
    int value = 0;
    for (qsizetype i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

/// "YYYY-MM-DD" as a date, or nothing.
std::optional<lxw_datetime> parseDate(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
    if (y < 1900 || m < 1 || m > 12 || d < 1 || d > 31)
        return std::nullopt;
    return lxw_datetime{y, m, d, 0, 0, 0};
}

/// "HH:MM:SS" as a time of day, or nothing.
std::optional<lxw_datetime> parseTime(QByteArrayView text)
{
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return std::nullopt;
    const int h = digits(text, 0, 2), m = digits(text, 3, 2), s = digits(text, 6, 2);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return std::nullopt;
    return lxw_datetime{0, 0, 0, h, m, double(s)};
}

/// The number the whole text is ("-1.5", "25.3", "253"), or nothing.
std::optional<double> parseNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 64)
        return std::nullopt;
    qsizetype i = 0;
    if (text[0] == '-' || text[0] == '+')
        ++i;
    bool seenDigit = false, seenPoint = false;
    for (qsizetype j = i; j < text.size(); ++j) {
        if (text[j] >= '0' && text[j] <= '9')
            seenDigit = true;
        else if (text[j] == '.' && !seenPoint)
            seenPoint = true;
        else
            return std::nullopt;
    }
    if (!seenDigit)
        return std::nullopt;
    double value = 0;
    const char *first = text.data() + (text[0] == '+' ? 1 : 0);
    if (std::from_chars(first, text.data() + text.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

/// One workbook being written, sheet after sheet.
class Workbook
{
public:
    Workbook(const QString &path, qsizetype rowLimit) : m_rowLimit(rowLimit)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        m_tmpdir = QDir::tempPath().toLocal8Bit();
        options.tmpdir = m_tmpdir.data();
        m_book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!m_book)
            return;
        m_date = workbook_add_format(m_book);
        format_set_num_format(m_date, "yyyy-mm-dd");
        m_time = workbook_add_format(m_book);
        format_set_num_format(m_time, "hh:mm:ss");
    }
    ~Workbook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    bool isOpen() const { return m_book != nullptr; }

    bool addLine(QByteArrayView line)
    {
        if (!m_sheet || m_row >= m_rowLimit)
            if (!startSheet())
                return false;
        lxw_col_t column = 0;
        qsizetype start = 0;
        for (;;) {
            qsizetype end = line.indexOf('\t', start);
            const bool last = end < 0;
            if (last)
                end = line.size();
            if (column < MaxColumns && !writeCell(column, line.sliced(start, end - start)))
                return false;
            ++column;
            if (last)
                break;
            start = end + 1;
        }
        ++m_row;
        return true;
    }

    /// Closes the workbook; false when it could not be completed.
    bool close()
    {
        const lxw_error error = workbook_close(m_book);
        m_book = nullptr;
        return error == LXW_NO_ERROR;
    }

private:
    bool startSheet()
    {
        ++m_sheets;
        const QByteArray name = TrendExport::sheetName(m_sheets).toUtf8();
        m_sheet = workbook_add_worksheet(m_book, name.constData());
        if (!m_sheet)
            return false;
        for (lxw_col_t c = 0; c < 5; ++c) {
            worksheet_set_column(m_sheet, c, c, ColumnWidths[c], nullptr);
            worksheet_write_string(m_sheet, 0, c, Headings[c], nullptr);
        }
        worksheet_freeze_panes(m_sheet, 1, 0); // the headings stay in view
        m_row = 1;
        return true;
    }

    bool writeCell(lxw_col_t column, QByteArrayView field)
    {
        const lxw_row_t row = lxw_row_t(m_row);
        if (column == 0) {
            if (auto date = parseDate(field))
                return worksheet_write_datetime(m_sheet, row, column, &*date, m_date) ==
                       LXW_NO_ERROR;
        } else if (column == 1) {
            if (auto time = parseTime(field))
                return worksheet_write_datetime(m_sheet, row, column, &*time, m_time) ==
                       LXW_NO_ERROR;
        } else if (auto number = parseNumber(field)) {
            return worksheet_write_number(m_sheet, row, column, *number,
                                          numberFormat(decimalsOf(field))) == LXW_NO_ERROR;
        }
        if (field.isEmpty())
            return true;
        QString text = Cp949::toUnicode(field.toByteArray());
        text.truncate(MaxCellText);
        return worksheet_write_string(m_sheet, row, column, text.toUtf8().constData(), nullptr) ==
               LXW_NO_ERROR;
    }

    /// "0", "0.0", "0.00", ...: made once per number of decimals.
    lxw_format *numberFormat(int decimals)
    {
        lxw_format *&format = m_numberFormats[decimals];
        if (!format) {
            format = workbook_add_format(m_book);
            const QByteArray pattern =
                decimals == 0 ? QByteArray("0") : "0." + QByteArray(decimals, '0');
            format_set_num_format(format, pattern.constData());
        }
        return format;
    }

    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    std::array<lxw_format *, MaxDecimals + 1> m_numberFormats{};
    lxw_format *m_date = nullptr;
    lxw_format *m_time = nullptr;
    QByteArray m_tmpdir;
    qsizetype m_rowLimit;
    qsizetype m_row = 0;
    int m_sheets = 0;
};

} // namespace

QString TrendExport::sheetName(int index)
{
    return index <= 1 ? QStringLiteral("Graph Data") : QStringLiteral("Graph Data (%1)").arg(index);
}

QString TrendExport::makePrivateFolder()
{
    QTemporaryDir folder(QDir(QDir::tempPath()).filePath(QStringLiteral("ZQ410_Graph-XXXXXX")));
    if (!folder.isValid())
        return QString();
    folder.setAutoRemove(false); // the spreadsheet program may still have a workbook open
    return folder.path();
}

QString TrendExport::newWorkbookPath(const QString &folder, const QString &trendPath,
                                     const QString &suffix)
{
    const QString base = QFileInfo(trendPath).completeBaseName() + suffix;
    QString path = QDir(folder).filePath(base + QStringLiteral(".xlsx"));
    for (int n = 2; QFile::exists(path); ++n)
        path = QDir(folder).filePath(QStringLiteral("%1 (%2).xlsx").arg(base).arg(n));
    return path;
}

TrendExport::Result TrendExport::write(const QString &trendPath, const QString &workbookPath,
                                       const Progress &progress, qsizetype rowLimit,
                                       std::optional<Records> records)
{
    Result result;
    QFile input(trendPath);
    if (!RegularFile::open(input, QIODevice::ReadOnly)) {
        result.error = QStringLiteral("파일을 열 수 없습니다: %1").arg(trendPath);
        return result;
    }
    const QString partial = workbookPath + QStringLiteral(".part");
    if (!createOwnFile(partial)) {
        result.error = QStringLiteral("엑셀 파일을 만들 수 없습니다: %1").arg(workbookPath);
        return result;
    }
    bool written = true;
    {
        Workbook book(partial, std::max<qsizetype>(rowLimit, 2));
        if (!book.isOpen()) {
            result.error = QStringLiteral("엑셀 파일을 만들 수 없습니다: %1").arg(workbookPath);
            return result;
        }
        qsizetype record = 0;
        const auto wanted = [&](QByteArrayView line) {
            if (!records)
                return true;
            if (!TrendFileReader::isRecord(line))
                return false;
            const qsizetype index = record++;
            return index >= records->first && index < records->second;
        };
        const bool read = TextLines::forEach(
            input,
            [&](QByteArrayView line) {
                if (!wanted(line))
                    return;
                if (written && book.addLine(line))
                    ++result.lines;
                else
                    written = false;
            },
            progress);
        written = written && read && book.close();
    }
    if (!written || !QFile::rename(partial, workbookPath) ||
        !QFile::setPermissions(workbookPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        QFile::remove(partial);
        result.error = QStringLiteral("엑셀 파일을 쓸 수 없습니다: %1").arg(workbookPath);
        return result;
    }
    result.ok = true;
    return result;
}
