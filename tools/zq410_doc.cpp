// zq410-doc --pdf OUT.pdf --html FOLDER MANUAL_FOLDER: the manual and the help from the Markdown
// chapters of MANUAL_FOLDER (read in name order, each starting with a "# " title). OUT.pdf is the
// A4 manual: a title page, the contents with page numbers, then every chapter from a new page.
// FOLDER gets index.html (the contents) and one page per chapter, named after its file, with
// the pictures the chapters show. Pictures are written in the Markdown as "../name.png" (they
// lie in docs/).

#include "Version.h"

#include <QAbstractTextDocumentLayout>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <cstdio>

namespace {

const QString Title = QStringLiteral("ZQ410 사용 설명서");
/// The resolution the manual is laid out at (that of a usual screen).
constexpr double LayoutDpi = 96;
/// Room below each page's text for its number, in those pixels.
constexpr double FooterHeight = 28;
const QString Subtitle = QStringLiteral("모니터 ZQ410과 그래프 뷰어 ZQ410_Graph");

struct Chapter
{
    QString name;  ///< the file's base name: the help page is name.html
    QString title; ///< its first "# " line
    QString markdown;
};

int fail(const QString &text)
{
    std::fprintf(stderr, "zq410-doc: %s\n", qPrintable(text));
    return 2;
}

QList<Chapter> readChapters(const QString &folder)
{
    QList<Chapter> chapters;
    const QDir dir(folder);
    for (const QString &file : dir.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name)) {
        QFile in(dir.filePath(file));
        if (!in.open(QIODevice::ReadOnly))
            continue;
        Chapter chapter;
        chapter.name = QFileInfo(file).completeBaseName();
        chapter.markdown = QString::fromUtf8(in.readAll());
        const QRegularExpressionMatch title =
            QRegularExpression(QStringLiteral("^# (.+)$"), QRegularExpression::MultilineOption)
                .match(chapter.markdown);
        chapter.title = title.hasMatch() ? title.captured(1).trimmed() : chapter.name;
        chapters.append(chapter);
    }
    return chapters;
}

/// Pictures (named relative to the chapters' folder) no wider than the text.
void fitPictures(QTextDocument &document, const QString &chapterFolder, double width)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image(QDir(chapterFolder).filePath(format.name()));
            if (image.isNull())
                continue;
            const double scale = std::min(1.0, width / image.width());
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

/// Every chapter title (after the manual's own) starts a page.
void breakBeforeChapters(QTextDocument &document)
{
    QTextCursor cursor(&document);
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1 || std::exchange(first, false))
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

/// The front matter: title page and contents (page numbers filled in once the chapters are laid
/// out; they take the same room whatever the numbers).
QString frontMatter(const QList<Chapter> &chapters, const QList<int> &pages)
{
    QString markdown = QStringLiteral("# %1\n\n%2\n\n버전 %3\n\n")
                           .arg(Title, Subtitle, QLatin1String(Version::Number));
    markdown += QStringLiteral("# 목차\n\n");
    for (int i = 0; i < chapters.size(); ++i)
        markdown += QStringLiteral("%1. %2 ······ %3\n")
                        .arg(i + 1)
                        .arg(chapters[i].title)
                        .arg(pages.value(i, 0), 3);
    return markdown + QLatin1Char('\n');
}

/// The page (from 1) each chapter title lands on.
QList<int> chapterPages(QTextDocument &document)
{
    QList<int> pages;
    const double pageHeight = document.pageSize().height();
    int headings = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1)
            continue;
        // The first two are the title and the contents.
        if (++headings > 2)
            pages.append(
                int(document.documentLayout()->blockBoundingRect(block).top() / pageHeight) + 1);
    }
    return pages;
}

/// Each page of the laid-out document, with its number below it (not on the title page).
bool drawPages(QTextDocument &document, QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double scale = printer.resolution() / LayoutDpi;
    painter.scale(scale, scale);
    const QSizeF page = document.pageSize();
    // In pixels of the layout: a point size would be taken at the printer's resolution and then
    // scaled once more.
    QFont numberFont = document.defaultFont();
    numberFont.setPixelSize(12);
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0)
            printer.newPage();
        const QRectF shown(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -shown.top());
        document.drawContents(&painter, shown);
        painter.restore();
        if (i > 0) {
            painter.setFont(numberFont);
            painter.drawText(QRectF(0, page.height(), page.width(), FooterHeight),
                             Qt::AlignHCenter | Qt::AlignBottom, QString::number(i + 1));
        }
    }
    return painter.end();
}

bool writePdf(const QList<Chapter> &chapters, const QString &chapterFolder, const QString &path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    printer.setDocName(Title);
    printer.setCreator(QStringLiteral("zq410-doc"));

    QString body;
    for (const Chapter &chapter : chapters)
        body += chapter.markdown + QStringLiteral("\n\n");
    QList<int> pages;
    QTextDocument document;
    for (int pass = 0; pass < 2; ++pass) {
        document.setMarkdown(frontMatter(chapters, pages) + body);
        // The chapters name pictures relative to their own folder.
        document.setBaseUrl(QUrl::fromLocalFile(chapterFolder + QLatin1Char('/')));
        QFont font(QStringLiteral("NanumBarunGothic"));
        font.setPointSizeF(10);
        document.setDefaultFont(font);
        // Laid out in pixels of LayoutDpi on the page's text area, less a line for the page
        // number, and scaled to the printer when drawn.
        const QSizeF area =
            printer.pageLayout().paintRect(QPageLayout::Point).size() * (LayoutDpi / 72.0);
        document.setPageSize(QSizeF(area.width(), area.height() - FooterHeight));
        fitPictures(document, chapterFolder, area.width() * 0.95);
        breakBeforeChapters(document);
        // Laid out again from the start: after the edits above, the incremental layout leaves
        // the blocks that follow a table without lines, and they would not be printed.
        document.markContentsDirty(0, document.characterCount());
        pages = chapterPages(document);
    }
    return drawPages(document, printer);
}

QString pageHtml(const QString &title, const QString &body)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"ko\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<title>%1</title>\n<style>\n"
               "body { font-family: 'NanumGothic', sans-serif; max-width: 60em; margin: 1em auto;"
               " padding: 0 1em; line-height: 1.5; color: #222; }\n"
               "nav { border-bottom: 1px solid #ccc; padding-bottom: .4em; margin-bottom: 1em; }\n"
               "img { max-width: 100%; border: 1px solid #ccc; }\n"
               "table { border-collapse: collapse; } td, th { border: 1px solid #bbb;"
               " padding: .2em .5em; vertical-align: top; }\n"
               "code, pre { background: #f4f4f4; }\n"
               "</style>\n</head>\n<body>\n"
               "<nav><a href=\"index.html\">%2</a></nav>\n%3\n</body>\n</html>\n")
        .arg(title.toHtmlEscaped(), Title.toHtmlEscaped(), body);
}

/// The chapter's body as HTML, with pictures taken from beside the page.
QString chapterHtml(const Chapter &chapter)
{
    QTextDocument document;
    document.setMarkdown(chapter.markdown);
    QString html = document.toHtml();
    const qsizetype start = html.indexOf(QLatin1Char('>'), html.indexOf(QStringLiteral("<body")));
    const qsizetype end = html.lastIndexOf(QStringLiteral("</body>"));
    html = html.mid(start + 1, end - start - 1);
    return html.replace(QStringLiteral("src=\"../"), QStringLiteral("src=\""));
}

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text.toUtf8()) >= 0 && file.flush();
}

bool writeHelp(const QList<Chapter> &chapters, const QString &pictureFolder, const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QString index =
        QStringLiteral("<h1>%1</h1>\n<p>%2 · 버전 %3</p>\n<ol>\n")
            .arg(Title.toHtmlEscaped(), Subtitle.toHtmlEscaped(), QLatin1String(Version::Number));
    const QRegularExpression picture(QStringLiteral("\\]\\(\\.\\./([^)]+\\.png)\\)"));
    for (const Chapter &chapter : chapters) {
        index += QStringLiteral("<li><a href=\"%1.html\">%2</a></li>\n")
                     .arg(chapter.name, chapter.title.toHtmlEscaped());
        if (!writeFile(QDir(folder).filePath(chapter.name + QStringLiteral(".html")),
                       pageHtml(chapter.title, chapterHtml(chapter))))
            return false;
        for (auto it = picture.globalMatch(chapter.markdown); it.hasNext();) {
            const QString name = it.next().captured(1);
            const QString target = QDir(folder).filePath(name);
            QFile::remove(target);
            if (!QFile::copy(QDir(pictureFolder).filePath(name), target))
                return false;
        }
    }
    index += QStringLiteral("</ol>\n");
    return writeFile(QDir(folder).filePath(QStringLiteral("index.html")), pageHtml(Title, index));
}

} // namespace

int main(int argc, char *argv[])
{
    if (Version::printIfAsked(argc, argv, "zq410-doc"))
        return 0;
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("The manual to write."),
                                 QStringLiteral("OUT.pdf"));
    const QCommandLineOption html(QStringLiteral("html"),
                                  QStringLiteral("The help folder to write."),
                                  QStringLiteral("FOLDER"));
    parser.addOptions({pdf, html});
    parser.addPositionalArgument(QStringLiteral("MANUAL_FOLDER"),
                                 QStringLiteral("The Markdown chapters."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("usage: zq410-doc --pdf OUT.pdf --html FOLDER MANUAL_FOLDER"));
    const QString source = parser.positionalArguments().first();
    const QList<Chapter> chapters = readChapters(source);
    if (chapters.isEmpty())
        return fail(QStringLiteral("no chapters in %1").arg(source));
    const QString pictures = QDir(source).filePath(QStringLiteral(".."));
    if (parser.isSet(pdf) && !writePdf(chapters, source, parser.value(pdf)))
        return fail(QStringLiteral("cannot write %1").arg(parser.value(pdf)));
    if (parser.isSet(html) && !writeHelp(chapters, pictures, parser.value(html)))
        return fail(QStringLiteral("cannot write the help into %1").arg(parser.value(html)));
    return 0;
}
