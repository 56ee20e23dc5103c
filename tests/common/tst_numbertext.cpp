#include "NumberText.h"

#include <QTest>

class tst_NumberText : public QObject
{
    Q_OBJECT

private slots:
    void plainIsDecimalWithoutPadding();
    void scaledFollowsTheDecimalPattern_data();
    void scaledFollowsTheDecimalPattern();
    void tenthsHasOneDecimal();
    void leadingNumberReadsOnlyTheNumberAtTheStart_data();
    void leadingNumberReadsOnlyTheNumberAtTheStart();
    void roundingSendsHalvesToTheEvenNeighbour();
};

void tst_NumberText::plainIsDecimalWithoutPadding()
{
    QCOMPARE(NumberText::plain(-5), QStringLiteral("-5"));
    QCOMPARE(NumberText::plain(0), QStringLiteral("0"));
    QCOMPARE(NumberText::plain(32769), QStringLiteral("32769"));
}

void tst_NumberText::scaledFollowsTheDecimalPattern_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("one decimal") << 253 << 1 << "25.3";
    QTest::newRow("negative below one") << -5 << 1 << "-0.5";
    QTest::newRow("no decimals") << 253 << 0 << "253";
    QTest::newRow("two decimals") << 253 << 2 << "2.53";
    QTest::newRow("zero with two") << 0 << 2 << "0.00";
    QTest::newRow("leading zero kept") << 7 << 3 << "0.007";
    QTest::newRow("negative whole") << -1200 << 1 << "-120.0";
    QTest::newRow("smallest register") << -32768 << 1 << "-3276.8";
    QTest::newRow("negative places count as none") << 42 << -1 << "42";
    QTest::newRow("huge places clamp") << 5 << 40 << "0.000000005";
}

void tst_NumberText::scaledFollowsTheDecimalPattern()
{
    QFETCH(int, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(NumberText::scaled(value, decimals), text);
}

void tst_NumberText::tenthsHasOneDecimal()
{
    QCOMPARE(NumberText::tenths(453), QStringLiteral("45.3"));
    QCOMPARE(NumberText::tenths(1000), QStringLiteral("100.0"));
    QCOMPARE(NumberText::tenths(0), QStringLiteral("0.0"));
    QCOMPARE(NumberText::tenths(-3), QStringLiteral("-0.3"));
}

void tst_NumberText::leadingNumberReadsOnlyTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("plain") << "5" << 5.0;
    QTest::newRow("decimal") << "25.3" << 25.3;
    QTest::newRow("negative") << "-1.5" << -1.5;
    QTest::newRow("blanks before") << "  \t 7" << 7.0;
    QTest::newRow("text after") << "2 followed by text" << 2.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("point first") << ".5" << 0.5;
    QTest::newRow("comma is not a point") << "2,5" << 2.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("e without digits") << "3eggs" << 3.0;
    QTest::newRow("plus sign") << "+4" << 4.0;
    QTest::newRow("underflow is zero") << "1e-400" << 0.0;
    QTest::newRow("underflow of a fraction") << "-0.0001e-330" << 0.0;
    QTest::newRow("overflow is infinite") << "1e400" << std::numeric_limits<double>::infinity();
    QTest::newRow("blanks are not counted into the length")
        << QString(398, QLatin1Char(' ')) + QStringLiteral("12345") << 12345.0;
}

void tst_NumberText::leadingNumberReadsOnlyTheNumberAtTheStart()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(NumberText::leadingNumber(text), number);
    const QByteArray bytes = text.toLatin1();
    QCOMPARE(NumberText::leadingNumber(QByteArrayView(bytes)), number);
}

void tst_NumberText::roundingSendsHalvesToTheEvenNeighbour()
{
    QCOMPARE(NumberText::roundHalfEven(2.5), 2);
    QCOMPARE(NumberText::roundHalfEven(3.5), 4);
    QCOMPARE(NumberText::roundHalfEven(-2.5), -2);
    QCOMPARE(NumberText::roundHalfEven(254.9), 255);
    QCOMPARE(NumberText::roundHalfEven(0.49), 0);
    QCOMPARE(NumberText::roundHalfEven(1e20), std::numeric_limits<int>::max());
    QCOMPARE(NumberText::roundHalfEven(-1e20), std::numeric_limits<int>::min());
    QCOMPARE(NumberText::roundHalfEven(std::nan("")), 0);
}

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
