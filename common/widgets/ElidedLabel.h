#pragma once

#include <QLabel>

/// A one-line label that shows as much of its text as fits, cut after a whole word with "…"
/// (never in the middle of one), with the whole text in its tool tip. A click emits clicked().
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    /// The text, and below it in the tool tip what a click does.
    void setFullText(const QString &text, const QString &clickTip = {});
    QString fullText() const { return m_fullText; }

    /// Asks for room for the whole text, up to its maximum width; makes do with a little.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    /// The text cut after a whole word so that it and "…" fit the width.
    static QString elidedAtWord(const QString &text, const QFontMetrics &metrics, int width);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fit();

    QString m_fullText;
};
