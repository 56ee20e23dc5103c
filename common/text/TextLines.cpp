#include "TextLines.h"

bool TextLines::forEach(QIODevice &input, const Line &line, const Progress &progress,
                        qsizetype blockSize, qsizetype maxLine, qint64 length)
{
    const qint64 total = std::max<qint64>(1, length >= 0 ? length : input.size());
    QByteArray pending;
    QByteArray block(blockSize, Qt::Uninitialized);
    bool skippingRest = false;
    qint64 done = 0;
    auto take = [&line, maxLine](QByteArrayView text) {
        if (text.endsWith('\r'))
            text.chop(1);
        line(text.first(std::min(text.size(), maxLine)));
    };
    for (;;) {
        const qint64 wanted = length >= 0 ? std::min<qint64>(blockSize, length - done) : blockSize;
        const qint64 got = wanted > 0 ? input.read(block.data(), wanted) : 0;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += got;
        QByteArrayView view(block.constData(), got);
        while (!view.isEmpty()) {
            const qsizetype newline = view.indexOf('\n');
            if (newline < 0) {
                if (!skippingRest)
                    pending.append(view);
                break;
            }
            if (!skippingRest) {
                if (pending.isEmpty()) {
                    take(view.first(newline));
                } else {
                    pending.append(view.first(newline));
                    take(pending);
                    pending.clear();
                }
            }
            skippingRest = false;
            view = view.sliced(newline + 1);
        }
        if (pending.size() > maxLine) {
            take(QByteArrayView(pending).first(maxLine));
            pending.clear();
            skippingRest = true;
        }
        if (progress)
            progress(double(done) / double(total));
    }
    if (!pending.isEmpty() && !skippingRest)
        take(pending);
    return true;
}
