#include "KoreanUi.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QTranslator>

namespace KoreanUi {

QString applyFont()
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &family :
         {QStringLiteral("NanumBarunGothic"), QStringLiteral("NanumGothic")}) {
        if (installed.contains(family)) {
            QApplication::setFont(QFont(family, 9));
            return family;
        }
    }
    return {};
}

bool installQtTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void leaveRoomForShortcuts(QMenu *menu)
{
    int column = 0;
    for (const QAction *action : menu->actions()) {
        if (!action->shortcut().isEmpty())
            column = std::max(column, menu->fontMetrics().horizontalAdvance(
                                          action->shortcut().toString(QKeySequence::NativeText)));
    }
    if (column > 0)
        menu->setMinimumWidth(menu->sizeHint().width() + column);
}

} // namespace KoreanUi
