#include "WorkbookExport.h"

#include "GradientLabel.h"

#include <QDesktopServices>
#include <QDir>
#include <QPointer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString Banner =
    QStringLiteral("Excel로 데이터 전송 중... 이 메시지가 사라질 때까지 잠시 기다리세요.");

} // namespace

WorkbookExport::WorkbookExport(QWidget *window)
    : QObject(window), m_open([](const QString &path) {
          return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
      })
{
    lblMsg = new GradientLabel(Banner, window);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setGeometry(240, 420, 537, 49);
    lblMsg->setHorizontal(true);
    lblMsg->setColors(QColor(255, 255, 192), QColor(255, 0, 255));
    lblMsg->setTextColor(QColor(0, 0, 255));
    lblMsg->setAlignment(Qt::AlignCenter);
    lblMsg->setWordWrap(true);
    QFont bold = lblMsg->font();
    bold.setBold(true);
    lblMsg->setFont(bold);
    lblMsg->hide();
    connect(&m_writer, &QFutureWatcher<TrendExport::Result>::finished, this,
            &WorkbookExport::finish);
}

WorkbookExport::~WorkbookExport()
{
    if (m_writer.isRunning())
        m_writer.waitForFinished();
}

void WorkbookExport::start(const QString &trendPath, std::optional<TrendExport::Records> records,
                           const QString &suffix)
{
    if (m_folder.isEmpty())
        m_folder = TrendExport::makePrivateFolder(); // once a run, at the first export
    if (m_folder.isEmpty()) {
        emit message(QStringLiteral("엑셀 파일을 만들 폴더를 임시 폴더에 만들 수 없습니다.\n%1")
                         .arg(QDir::toNativeSeparators(QDir::tempPath())));
        emit finished(false, QString());
        return;
    }
    m_workbook = TrendExport::newWorkbookPath(m_folder, trendPath, suffix);
    lblMsg->setText(Banner);
    lblMsg->show();
    lblMsg->raise();
    emit runningChanged(true);
    QPointer<GradientLabel> banner(lblMsg);
    const QString workbook = m_workbook;
    m_writer.setFuture(QtConcurrent::run([trendPath, workbook, banner, records] {
        return TrendExport::write(
            trendPath, workbook,
            [banner](double share) {
                QMetaObject::invokeMethod(banner, [banner, share] {
                    if (banner)
                        banner->setText(Banner + QStringLiteral(" (%1%)").arg(int(share * 100)));
                });
            },
            TrendExport::SheetRowLimit, records);
    }));
}

/// Hides the banner and opens the workbook; one message for whatever went wrong.
void WorkbookExport::finish()
{
    const TrendExport::Result result = m_writer.result();
    lblMsg->hide();
    emit runningChanged(false);
    if (!result.ok) {
        emit message(result.error);
        emit finished(false, QString());
        return;
    }
    if (!m_open(m_workbook))
        emit message(
            QStringLiteral("엑셀 파일을 열 프로그램이 없습니다. 파일은 여기에 있습니다:\n%1")
                .arg(m_workbook));
    emit finished(true, m_workbook);
}
