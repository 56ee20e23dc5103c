#include "TextLines.h"

namespace {

constexpr qsizetype BlockSize = 1 << 20;

} // namespace

bool TextLines::forEach(QIODevice &input, const Line &line, const Progress &progress)
{
    const qint64 total = std::max<qint64>(1, input.size());
    QByteArray pending;
    QByteArray block(BlockSize, Qt::Uninitialized);
    bool skippingRest = false;
    qint64 done = 0;
    auto take = [&line](QByteArrayView text) {
        if (text.endsWith('\r'))
            text.chop(1);
        line(text.first(std::min(text.size(), TextLines::MaxLine)));
    };
    for (;;) {
        const qint64 got = input.read(block.data(), BlockSize);
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
        if (pending.size() > MaxLine) {
            take(QByteArrayView(pending).first(MaxLine));
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
