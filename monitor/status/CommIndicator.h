#pragma once

#include <QWidget>

/// The send and receive circles: black at rest, red while a request goes out, green while a
/// reply comes in.
class CommIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit CommIndicator(QWidget *parent = nullptr);

    bool sendLit() const { return m_send; }
    bool receiveLit() const { return m_receive; }
    void setSendLit(bool lit);
    void setReceiveLit(bool lit);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_send = false;
    bool m_receive = false;
};
