#pragma once

#include "TrendFileReader.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <optional>

class QProgressBar;
class QWidget;

/// Reads a trend file in the background. Meanwhile the window's content is disabled, the
/// pointer busy and a progress bar ("progress") over the chart shows how far it got; the focus
/// goes back where the operator left it when the file is read.
class TrendLoader : public QObject
{
    Q_OBJECT

public:
    /// content: the window's central widget, disabled while a file is read.
    explicit TrendLoader(QWidget *content);
    /// A read still running finishes first; its result is dropped.
    ~TrendLoader() override;

    void start(const QString &path);
    bool isRunning() const { return m_reader.isRunning(); }
    /// Once finished: the file as read (nullopt: it could not be opened), taken over.
    std::optional<TrendFileReader::Contents> takeResult();

signals:
    void finished();

private:
    void finish();

    QWidget *m_content;
    QProgressBar *progress = nullptr;
    QFutureWatcher<std::optional<TrendFileReader::Contents>> m_reader;
    QPointer<QWidget> m_focusBefore;
    std::optional<TrendFileReader::Contents> m_result;
};
