#include "Frames.h"

#include <QString>

namespace Frames {

namespace {

constexpr int MaxCount = 99;
constexpr int MaxAddress = 9999;
constexpr int MinValue = -32768;
constexpr int MaxValue = 65535;

bool validDevice(int deviceNo)
{
    return deviceNo >= 1 && deviceNo <= 99;
}

bool validAddresses(const QList<int> &addresses)
{
    if (addresses.isEmpty() || addresses.size() > MaxCount)
        return false;
    for (int address : addresses) {
        if (address < 0 || address > MaxAddress)
            return false;
    }
    return true;
}

void appendDigits(QByteArray &frame, int value, int width)
{
    frame += QByteArray::number(value).rightJustified(width, '0');
}

/// STX, device digits and command letters: bytes 0 to 5 of every request.
QByteArray header(int deviceNo, const char *command)
{
    QByteArray frame;
    frame += STX;
    appendDigits(frame, deviceNo, 2);
    frame += command;
    return frame;
}

char hexDigit(int nibble)
{
    return "0123456789ABCDEF"[nibble & 0xF];
}

int sumOfBytes(const QByteArray &bytes, qsizetype first, qsizetype last)
{
    int sum = 0;
    for (qsizetype i = first; i <= last; ++i)
        sum += static_cast<unsigned char>(bytes.at(i));
    return sum % 256;
}

} // namespace

QByteArray finish(QByteArray frame, ChecksumMode mode)
{
    if (mode == ChecksumMode::Sum)
        frame += "00";
    frame += CR;
    frame += LF;
    if (mode == ChecksumMode::Sum)
        AppendChecksum(frame);
    return frame;
}

ChecksumMode checksumModeOf(const QString &protocol)
{
    return protocol == QLatin1String("STD") ? ChecksumMode::Std : ChecksumMode::Sum;
}

std::optional<QByteArray> buildWho(int deviceNo, ChecksumMode mode)
{
    if (!validDevice(deviceNo))
        return std::nullopt;
    return finish(header(deviceNo, "WHO"), mode);
}

std::optional<QByteArray> buildRead(int deviceNo, const QList<int> &addresses, ChecksumMode mode)
{
    if (!validDevice(deviceNo) || !validAddresses(addresses))
        return std::nullopt;
    QByteArray frame = header(deviceNo, "DRR");
    frame += ',';
    appendDigits(frame, int(addresses.size()), 2);
    for (int address : addresses) {
        frame += ',';
        appendDigits(frame, address, 4);
    }
    return finish(frame, mode);
}

std::optional<QByteArray> buildWrite(int deviceNo, const QList<int> &addresses,
                                     const QList<int> &values, ChecksumMode mode)
{
    if (!validDevice(deviceNo) || !validAddresses(addresses) || values.size() != addresses.size())
        return std::nullopt;
    for (int value : values) {
        if (value < MinValue || value > MaxValue)
            return std::nullopt;
    }
    QByteArray frame = header(deviceNo, "DWR");
    frame += ',';
    appendDigits(frame, int(addresses.size()), 2);
    for (qsizetype k = 0; k < addresses.size(); ++k) {
        frame += ',';
        appendDigits(frame, addresses[k], 4);
        frame += ',';
        frame += ValueToHex(values[k], 4).left(4);
    }
    return finish(frame, mode);
}

void AppendChecksum(QByteArray &frame)
{
    const qsizetype size = frame.size();
    if (size < 5)
        return;
    const int sum = sumOfBytes(frame, 1, size - 5);
    frame[size - 4] = hexDigit(sum / 16);
    frame[size - 3] = hexDigit(sum % 16);
}

bool ReplyChecksumValid(const QByteArray &reply)
{
    const qsizetype last = reply.size() - 1;
    if (last < 4)
        return false;
    const int sum = sumOfBytes(reply, 1, last - 4);
    const unsigned stated = HexToUnsigned(QByteArrayView(reply).sliced(last - 3, 1)) * 16 +
                            HexToUnsigned(QByteArrayView(reply).sliced(last - 2, 1));
    return unsigned(sum) == stated;
}

unsigned HexToUnsigned(QByteArrayView text)
{
    unsigned value = 0;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        value = value * 16 + digit;
    }
    return value;
}

int HexToSigned16(QByteArrayView text)
{
    const int value = int(HexToUnsigned(text));
    if (!text.isEmpty() && HexToUnsigned(text.first(1)) >= 8)
        return value - 65536;
    return value;
}

QByteArray ValueToHex(int value, int width)
{
    const qint64 wrapped = value < 0 ? qint64(value) + 65536 : value;
    return QByteArray::number(wrapped, 16).toUpper().rightJustified(width, '0');
}

ReplyShape replyShape(const QByteArray &reply)
{
    ReplyShape shape;
    const auto digit = [&reply](qsizetype i) {
        return i < reply.size() && reply.at(i) >= '0' && reply.at(i) <= '9';
    };
    if (digit(1) && digit(2))
        shape.deviceNo = (reply.at(1) - '0') * 10 + (reply.at(2) - '0');
    if (reply.mid(3, 2) == "NG") {
        shape.command = "NG";
        return shape;
    }
    shape.command = reply.mid(3, 3);
    const QByteArray rest = reply.mid(6);
    shape.ok = rest.startsWith(",OK");
    if (shape.ok)
        shape.valueCount = int(rest.count(',')) - 1; // the comma before "OK" is not a value's
    return shape;
}

std::optional<int> replyValue(const QByteArray &reply, int k)
{
    // The values stand before the closing CR LF; a reply too short to hold value k has none.
    const qsizetype first = 10 + 5 * qsizetype(k);
    if (k < 0 || first + 4 > reply.size() - 2)
        return std::nullopt;
    return HexToSigned16(QByteArrayView(reply).sliced(first, 4));
}

std::optional<QList<int>> replyValues(const QByteArray &reply, int count)
{
    QList<int> values;
    values.reserve(count);
    for (int k = 0; k < count; ++k) {
        const auto value = replyValue(reply, k);
        if (!value)
            return std::nullopt;
        values.append(*value);
    }
    return values;
}

} // namespace Frames
