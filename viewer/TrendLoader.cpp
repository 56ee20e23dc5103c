#include "TrendLoader.h"

#include <QApplication>
#include <QProgressBar>
#include <QtConcurrent/QtConcurrentRun>

TrendLoader::TrendLoader(QWidget *content) : QObject(content), m_content(content)
{
    progress = new QProgressBar(content);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setGeometry(308, 430, 400, 24);
    progress->setRange(0, 100);
    progress->hide();
    connect(&m_reader, &QFutureWatcher<std::optional<TrendFileReader::Contents>>::finished, this,
            &TrendLoader::finish);
}

TrendLoader::~TrendLoader()
{
    if (m_reader.isRunning())
        m_reader.waitForFinished();
}

void TrendLoader::start(const QString &path)
{
    // Disabling the window takes the focus away; it goes back where the operator left it.
    m_focusBefore = QApplication::focusWidget();
    m_content->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    progress->setValue(0);
    progress->show();
    progress->raise();
    QPointer<QProgressBar> bar(progress);
    m_reader.setFuture(QtConcurrent::run([path, bar] {
        return TrendFileReader::read(path, [bar](double share) {
            QMetaObject::invokeMethod(bar, [bar, share] {
                if (bar)
                    bar->setValue(int(share * 100));
            });
        });
    }));
}

void TrendLoader::finish()
{
    m_result = m_reader.future().takeResult();
    progress->hide();
    QApplication::restoreOverrideCursor();
    m_content->setEnabled(true);
    if (m_focusBefore)
        m_focusBefore->setFocus(Qt::OtherFocusReason);
    emit finished();
}

std::optional<TrendFileReader::Contents> TrendLoader::takeResult()
{
    return std::exchange(m_result, std::nullopt);
}
