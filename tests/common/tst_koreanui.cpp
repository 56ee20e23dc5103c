#include "KoreanUi.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTest>

class tst_KoreanUi : public QObject
{
    Q_OBJECT

private slots:
    void fontAndStandardDialogsAreKorean();
};

/// On a machine set up as the README says (fonts-nanum, qt6-translations-l10n) both programs get
/// the font whose point is not a comma, and Qt's own buttons speak Korean.
void tst_KoreanUi::fontAndStandardDialogsAreKorean()
{
    QCOMPARE(KoreanUi::applyFont(), QStringLiteral("NanumBarunGothic"));
    QCOMPARE(QApplication::font().family(), QStringLiteral("NanumBarunGothic"));
    QVERIFY(QFontMetrics(QApplication::font()).inFont(QChar(0xD55C))); // 한

    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    QVERIFY(KoreanUi::installQtTranslation(*qApp));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("취소"));
}

QTEST_MAIN(tst_KoreanUi)
#include "tst_koreanui.moc"
