#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

namespace quillo {

// Qt's own words (the menus of the text boxes and the scroll bar, the buttons
// of message boxes) follow the first of the user's interface languages that
// Qt speaks here: simplified or traditional Chinese, from the translations
// built into the program, or Qt's own English. Returns the translation's
// name, "zh_CN" or "zh_TW", or nothing for English.
QString qtTranslationFor(const QStringList& uiLanguages);

// Loads that translation into translator; false when there is none to load.
bool loadQtTranslation(QTranslator& translator, const QStringList& uiLanguages);

}  // namespace quillo
