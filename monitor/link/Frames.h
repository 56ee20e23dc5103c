#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

/// The controller protocol's request frames and reply rules: pure functions over bytes.
///
/// A request is STX, two device digits, three command letters, for reads and writes the count
/// and register groups, then (in SUM mode) two checksum characters, then CR LF. The builders
/// refuse input the frame cannot carry by returning nullopt, so nothing is ever sent for it.
namespace Frames {

constexpr char STX = 0x02;
constexpr char CR = 0x0D;
constexpr char LF = 0x0A;

/// How requests are framed: without checksum ("STD") or with two checksum characters ("SUM").
enum class ChecksumMode { Std = 0, Sum = 2 };

/// The mode of a protocol text: only the exact text "STD" goes without checksum.
ChecksumMode checksumModeOf(const QString &protocol);

std::optional<QByteArray> buildWho(int deviceNo, ChecksumMode mode);
std::optional<QByteArray> buildRead(int deviceNo, const QList<int> &addresses, ChecksumMode mode);
std::optional<QByteArray> buildWrite(int deviceNo, const QList<int> &addresses,
                                     const QList<int> &values, ChecksumMode mode);

/// Ends a frame that holds STX and its body: in SUM mode two checksum characters, then CR LF.
/// Requests and (in the simulator) replies are finished the same way.
QByteArray finish(QByteArray frame, ChecksumMode mode);
/// Fills the two positions before the final CR LF with the sum of bytes 1 .. size-5 modulo 256.
void AppendChecksum(QByteArray &frame);
/// True when the reply's two characters before CR LF match the sum of bytes 1 .. last-4.
bool ReplyChecksumValid(const QByteArray &reply);

/// "A" to "F" count 10 to 15, any other character its decimal value if a digit, otherwise 0.
unsigned HexToUnsigned(QByteArrayView text);
/// As HexToUnsigned, then 65536 subtracted when the first digit is 8 or more.
int HexToSigned16(QByteArrayView text);
/// Upper-case hexadecimal of the value (negative values as 16-bit two's complement),
/// zero-padded on the left to at least width characters.
QByteArray ValueToHex(int value, int width);

/// What a reply says of itself: who sent it, what it answers, how many values it carries.
struct ReplyShape
{
    /// The two digits after STX; -1 when they are not two digits.
    int deviceNo = -1;
    /// The three command letters ("WHO", "DRR", "DWR"), or "NG" for a refusal.
    QByteArray command;
    /// ",OK" follows the command.
    bool ok = false;
    /// The fields after ",OK": register values of a read, the model of an identification.
    int valueCount = 0;
};
ReplyShape replyShape(const QByteArray &reply);

/// Value k of a read reply (the four characters at bytes 10+5k .. 13+5k), or nullopt when the
/// reply is too short to hold it.
std::optional<int> replyValue(const QByteArray &reply, int k);
/// Values 0 .. count-1 of a read reply, or nullopt when the reply is too short to hold them all.
std::optional<QList<int>> replyValues(const QByteArray &reply, int count);

} // namespace Frames
