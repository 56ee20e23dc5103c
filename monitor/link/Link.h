#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

/// Line settings of a port as the operator stores them: texts, interpreted when opening.
struct LinkSettings
{
    QString portName;
    QString baudRate;
    QString parityBit;
    QString dataBit;
    QString stopBit;
};

/// The outcome of opening a port. A failure is one of two kinds the operator can act on
/// (the port does not exist, the port is in use) or a third for anything else, each with a text.
struct LinkOpenResult
{
    enum class Failure { None, NotFound, InUse, Other };
    Failure failure = Failure::None;
    QString description;

    bool ok() const { return failure == Failure::None; }
};

/// A serial line to the controllers. The engine talks only to this interface, so the real port,
/// an in-memory line for tests and anything else that carries bytes are interchangeable.
class Link : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual LinkOpenResult open(const LinkSettings &settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    /// Raises RTS, queues the bytes in order and drops RTS once the last of them has left the
    /// line. A line without RTS simply sends the bytes.
    virtual void transmit(const QByteArray &bytes) = 0;
    /// Everything received and not yet read, unaltered and in order.
    virtual QByteArray readAll() = 0;
    /// Throws away whatever has been received and not yet read.
    virtual void discardInput() = 0;

signals:
    /// Bytes have arrived; raised on the thread the link lives in.
    void readyRead();
    /// The port went away while open (an adapter pulled, a closed pseudo-terminal). The link has
    /// already closed itself when this is raised, and raises it once per opening.
    void lost(const QString &reason);
};
