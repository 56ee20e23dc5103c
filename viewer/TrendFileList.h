#pragma once

#include <QGroupBox>
#include <QTimer>

class QListWidget;
class TrendChart;

/// The file list "파일 목록": the "*.DAT" files of the listed folder, by name, matched without
/// regard to case, kept up to date while files come and go (a folder watch, and a poll where the
/// watch does not work). A selection asks for the file to be shown; Ctrl+click, or "비교" on the
/// list's menu, asks for it to be compared with the shown one.
class TrendFileList : public QGroupBox
{
    Q_OBJECT

public:
    /// chart: the menu offers "비교" while it shows a file, "비교 끝" while it compares.
    TrendFileList(const TrendChart &chart, QWidget *parent);

    /// Lists the folder now; the selected file stays selected (and is not read again) when it
    /// is still there.
    void showFolder(const QString &folder);
    /// Lists the folder 50 ms from now (a picked folder, a folder that changed).
    void showFolderSoon(const QString &folder);
    QString folder() const { return m_folder; }
    /// The selected file's path; empty when none is selected.
    QString selectedPath() const;
    /// Selects the listed file of that name; false when the list does not hold it.
    bool select(const QString &name);

signals:
    void fileSelected(const QString &path);
    void compareRequested(const QString &path);
    void endCompareRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(const QString &folder);
    void showMenu(const QPoint &at);

    const TrendChart &m_chart;
    QListWidget *File1 = nullptr;
    QString m_folder;
    QString m_wanted;
    /// Lists the wanted folder once, 50 ms after it was asked for or changed.
    QTimer tmrRefresh_List;
    /// Stands in for the folder watch where it does not work.
    QTimer m_folderPoll;
    class QFileSystemWatcher *m_folderWatch = nullptr;
};
