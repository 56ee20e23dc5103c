#include "ReplyAssembler.h"

#include <QTest>

using Piece = ReplyAssembler::Piece;
using Kind = Piece::Kind;
Q_DECLARE_METATYPE(QList<Piece>)

/// Bytes from the line cut into replies, on their own: no engine, no time.
class tst_ReplyAssembler : public QObject
{
    Q_OBJECT

private slots:
    void cutsRepliesFromSTXtoLF_data();
    void cutsRepliesFromSTXtoLF();
};

void tst_ReplyAssembler::cutsRepliesFromSTXtoLF_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QList<Piece>>("pieces");
    QTest::addColumn<QByteArray>("partial");
    const QByteArray ok = "\x02"
                          "01DWR,OK5C\r\n";
    QTest::newRow("whole") << QList<QByteArray>{ok} << 1 << QList<Piece>{{Kind::Reply, ok}}
                           << QByteArray();
    QTest::newRow("over three reads") << QList<QByteArray>{ok.left(2), ok.mid(2, 5), ok.mid(7)} << 1
                                      << QList<Piece>{{Kind::Reply, ok}} << QByteArray();
    QTest::newRow("noise before, a reply begun after")
        << QList<QByteArray>{"xy" + ok +
                             "\x02"
                             "01D"}
        << 1 << QList<Piece>{{Kind::Noise, "xy"}, {Kind::Reply, ok}}
        << QByteArray("\x02"
                      "01D");
    QTest::newRow("cut short by the next STX") << QList<QByteArray>{"\x02"
                                                                    "01DRR,OK",
                                                                    ok}
                                               << 1
                                               << QList<Piece>{{Kind::Noise, "\x02"
                                                                             "01DRR,OK"},
                                                               {Kind::Reply, ok}}
                                               << QByteArray();
    QTest::newRow("NG from the asked controller ends early")
        << QList<QByteArray>{"\x02"
                             "02NG,01"}
        << 2
        << QList<Piece>{{Kind::EarlyNegative, "\x02"
                                              "02NG"}}
        << QByteArray();
    QTest::newRow("NG from another controller waits for its LF") << QList<QByteArray>{"\x02"
                                                                                      "02NG,01"}
                                                                 << 1 << QList<Piece>{}
                                                                 << QByteArray("\x02"
                                                                               "02NG,01");
    QTest::newRow("past the size cap without LF")
        << QList<QByteArray>{"\x02" + QByteArray(ReplyAssembler::MaxBytes, 'A')} << 1
        << QList<Piece>{{Kind::Noise, "\x02" + QByteArray(ReplyAssembler::MaxBytes, 'A')}}
        << QByteArray();
}

void tst_ReplyAssembler::cutsRepliesFromSTXtoLF()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, asked);
    QFETCH(QList<Piece>, pieces);
    QFETCH(QByteArray, partial);
    ReplyAssembler assembler;
    QList<Piece> got;
    for (const QByteArray &read : reads) {
        assembler.append(read);
        while (const auto piece = assembler.next(asked)) {
            got.append(*piece);
            if (piece->kind == Kind::EarlyNegative)
                assembler.takeRest(); // the rest of that read is dropped
        }
    }
    QVERIFY(got == pieces);
    QCOMPARE(assembler.takePartial(), partial);
}

QTEST_GUILESS_MAIN(tst_ReplyAssembler)
#include "tst_replyassembler.moc"
