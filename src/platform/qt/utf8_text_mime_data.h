#pragma once

#include <QMimeData>
#include <QStringList>
#include <QVariant>

namespace quillo {

// A text offered by the MIME name of UTF-8 text as well, which newer programs
// ask for (and GTK 3 needs, since it reads plain "text/plain" as Latin-1). Its
// bytes are made only if someone asks for them: a drag starts at once,
// whatever its length.
class Utf8TextMimeData : public QMimeData {
public:
    static constexpr char kTextPlainUtf8[] = "text/plain;charset=utf-8";

    QStringList formats() const override {
        return QMimeData::formats() << QLatin1String(kTextPlainUtf8);
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        // From the stored text itself: text() asks for the UTF-8 name first,
        // and so would come back here.
        if (mimeType == QLatin1String(kTextPlainUtf8)) {
            return QMimeData::retrieveData(QStringLiteral("text/plain"),
                                           QMetaType::fromType<QString>())
                .toString()
                .toUtf8();
        }
        return QMimeData::retrieveData(mimeType, type);
    }
};

}  // namespace quillo
