#include "Cp949.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

/// Length of the UTF-8 sequence that starts with lead.
size_t utf8Width(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

/// One iconv conversion descriptor, closed when it goes out of scope.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    /// Converts as much as possible; on an unconvertible sequence calls onBad with the number
    /// of input bytes to skip and the output to put in its place.
    template <typename BadWidth>
    QByteArray convert(QByteArrayView input, const QByteArray &replacement, BadWidth badWidth)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // a fresh start whatever came before
        QByteArray out;
        out.reserve(input.size() * 2 + 4);
        char *in = const_cast<char *>(input.constData());
        size_t inLeft = size_t(input.size());
        char buffer[1024];
        while (inLeft > 0) {
            char *dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
            out.append(buffer, int(sizeof buffer - dstLeft));
            if (rc != size_t(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (an incomplete sequence at the end): replace and go on.
            const size_t skip = std::min(badWidth(static_cast<unsigned char>(*in)), inLeft);
            in += skip;
            inLeft -= skip;
            out.append(replacement);
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t m_cd;
};

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

// Code page 949 keeps ASCII as it is: most texts need no converter. Opening one costs more than
// most conversions, so each thread keeps its two.

QByteArray Cp949::fromUnicode(const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    thread_local Converter converter("CP949", "UTF-8");
    if (!converter.valid())
        return text.toLatin1();
    return converter.convert(text.toUtf8(), QByteArray("?"), utf8Width);
}

void Cp949::appendFromUnicode(QByteArray &bytes, const QString &text)
{
    if (!isAscii(text)) {
        bytes += fromUnicode(text);
        return;
    }
    const qsizetype at = bytes.size();
    bytes.resize(at + text.size());
    std::transform(text.begin(), text.end(), bytes.begin() + at,
                   [](QChar c) { return char(c.unicode()); });
}

QString Cp949::toUnicode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    thread_local Converter converter("UTF-8", "CP949");
    if (!converter.valid())
        return QString::fromLatin1(bytes);
    const QByteArray replacement("\xEF\xBF\xBD");
    return QString::fromUtf8(
        converter.convert(bytes, replacement, [](unsigned char) { return size_t(1); }));
}
