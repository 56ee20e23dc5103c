#include "TrendFileList.h"

#include "TrendChart.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

namespace {

constexpr int RefreshDelayMs = 50;
constexpr int FolderPollMs = 5000;

} // namespace

TrendFileList::TrendFileList(const TrendChart &chart, QWidget *parent)
    : QGroupBox(QStringLiteral("파일 목록"), parent), m_chart(chart),
      m_folderWatch(new QFileSystemWatcher(this))
{
    setObjectName(QStringLiteral("Frame6"));
    File1 = new QListWidget(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(6, 20, 221, 143);
    // A selection loads the file; focus arriving in the list (which only moves its current
    // row) does not.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (const QString path = selectedPath(); !path.isEmpty())
            emit fileSelected(path);
    });
    File1->viewport()->installEventFilter(this);
    File1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(File1, &QWidget::customContextMenuRequested, this, &TrendFileList::showMenu);

    tmrRefresh_List.setSingleShot(true);
    tmrRefresh_List.setInterval(RefreshDelayMs);
    connect(&tmrRefresh_List, &QTimer::timeout, this, [this] { showFolder(m_wanted); });
    connect(m_folderWatch, &QFileSystemWatcher::directoryChanged, this,
            [this] { showFolderSoon(m_folder); });
    m_folderPoll.setInterval(FolderPollMs);
    connect(&m_folderPoll, &QTimer::timeout, this, [this] { showFolder(m_folder); });
}

void TrendFileList::showFolder(const QString &folder)
{
    tmrRefresh_List.stop();
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.DAT")});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    const QStringList names = dir.entryList();
    QStringList shown;
    for (int i = 0; i < File1->count(); ++i)
        shown << File1->item(i)->text();
    if (folder == m_folder && names == shown)
        return;
    const QList<QListWidgetItem *> selected = File1->selectedItems();
    const QString selectedName =
        folder == m_folder && !selected.isEmpty() ? selected.first()->text() : QString();
    if (folder != m_folder)
        watch(folder);
    m_folder = folder;
    const QSignalBlocker blocker(File1);
    File1->clear();
    File1->addItems(names);
    const QList<QListWidgetItem *> again = File1->findItems(selectedName, Qt::MatchExactly);
    if (!selectedName.isEmpty() && !again.isEmpty())
        again.first()->setSelected(true);
}

void TrendFileList::showFolderSoon(const QString &folder)
{
    m_wanted = folder;
    tmrRefresh_List.start();
}

QString TrendFileList::selectedPath() const
{
    const QList<QListWidgetItem *> selected = File1->selectedItems();
    return selected.isEmpty() ? QString() : QDir(m_folder).filePath(selected.first()->text());
}

bool TrendFileList::select(const QString &name)
{
    const QList<QListWidgetItem *> items = File1->findItems(name, Qt::MatchExactly);
    if (items.isEmpty())
        return false;
    File1->setCurrentItem(items.first());
    return true;
}

void TrendFileList::watch(const QString &folder)
{
    if (!m_folderWatch->directories().isEmpty())
        m_folderWatch->removePaths(m_folderWatch->directories());
    if (QDir(folder).exists())
        m_folderWatch->addPath(folder);
    m_folderPoll.start();
}

/// Ctrl+click on a file compares it with the shown one and leaves the selection as it is.
bool TrendFileList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == File1->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QListWidgetItem *item = File1->itemAt(mouse->position().toPoint());
        if (item && mouse->button() == Qt::LeftButton &&
            mouse->modifiers().testFlag(Qt::ControlModifier)) {
            emit compareRequested(QDir(m_folder).filePath(item->text()));
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void TrendFileList::showMenu(const QPoint &at)
{
    QListWidgetItem *item = File1->itemAt(at);
    QMenu menu(this);
    QAction *compare = menu.addAction(QStringLiteral("비교"));
    compare->setEnabled(item && !m_chart.data().isEmpty());
    QAction *end = menu.addAction(QStringLiteral("비교 끝"));
    end->setEnabled(m_chart.comparison() != nullptr);
    QAction *chosen = menu.exec(File1->viewport()->mapToGlobal(at));
    if (chosen == compare && item)
        emit compareRequested(QDir(m_folder).filePath(item->text()));
    else if (chosen == end)
        emit endCompareRequested();
}
