#pragma once

class QCoreApplication;
class QMenu;
class QString;

/// What both programs' windows share so that Korean reads right: the font, and Qt's own dialogs
/// (file, print, colour, message box buttons) in Korean.
namespace KoreanUi {

/// The first installed of NanumBarunGothic and NanumGothic, 9 pt; none installed changes
/// nothing. NanumBarunGothic comes first: at small sizes NanumGothic draws the decimal point
/// much like a comma, so "60.0" would read "60,0".
QString applyFont();
/// Loads Qt's Korean translation (qtbase_ko.qm) from Qt's translation folder, when installed.
/// False when it is not there: the standard dialogs stay in English.
bool installQtTranslation(QCoreApplication &app);
/// The style sizes a menu for its longest text and its shortcut column, then draws every text
/// in the width left of that column, so the longest Korean text without a shortcut came out cut
/// ("데이터저장…정"): the menu gets the column's width once more.
void leaveRoomForShortcuts(QMenu *menu);

} // namespace KoreanUi
