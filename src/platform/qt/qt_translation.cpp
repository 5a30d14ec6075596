#include "platform/qt/qt_translation.h"

#include <QLocale>
#include <QTranslator>

namespace quillo {

QString qtTranslationFor(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages) {
        // QLocale fills in the likely script: zh-HK and zh-MO are traditional,
        // zh and zh-SG simplified.
        const QLocale locale(tag);
        if (locale.language() == QLocale::English) return {};
        if (locale.language() == QLocale::Chinese) {
            return locale.script() == QLocale::TraditionalChineseScript ? QStringLiteral("zh_TW")
                                                                        : QStringLiteral("zh_CN");
        }
    }
    return {};
}

bool loadQtTranslation(QTranslator& translator, const QStringList& uiLanguages) {
    const QString name = qtTranslationFor(uiLanguages);
    return !name.isEmpty() &&
           translator.load(QStringLiteral(":/qt-translations/qtbase_%1.qm").arg(name));
}

}  // namespace quillo
