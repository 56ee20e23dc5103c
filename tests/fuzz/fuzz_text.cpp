// Code page 949 and the number texts on arbitrary bytes. Invariants: decoding what was encoded
// gives the same text; the text and byte forms of the leading number agree.

#include "Cp949.h"
#include "FuzzCheck.h"
#include "NumberText.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = Cp949::toUnicode(bytes);
    const QByteArray encoded = Cp949::fromUnicode(text);
    check(Cp949::toUnicode(encoded) ==
          Cp949::toUnicode(Cp949::fromUnicode(Cp949::toUnicode(encoded))));

    const double fromBytes = NumberText::leadingNumber(QByteArrayView(bytes));
    const QString latin = QString::fromLatin1(bytes);
    const double fromText = NumberText::leadingNumber(QStringView(latin));
    check((std::isnan(fromBytes) && std::isnan(fromText)) || fromBytes == fromText);
    const int rounded = NumberText::roundHalfEven(fromBytes);
    check(!std::isfinite(fromBytes) || std::abs(double(rounded) - fromBytes) <= 0.5 ||
          std::abs(fromBytes) >= 2147483647.0);
    if (size >= 3) {
        const qint64 value = qint16(data[0] | (data[1] << 8));
        const QString scaled = NumberText::scaled(value, data[2] % 12);
        const int decimals = std::clamp(int(data[2] % 12), 0, 9);
        check(NumberText::roundHalfEven(NumberText::leadingNumber(scaled) *
                                        std::pow(10.0, decimals)) == value);
    }
    return 0;
}
