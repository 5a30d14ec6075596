#pragma once

#include <QMimeData>
#include <QStringList>
#include <QVariant>

namespace quillo {

// The MIME name of UTF-8 text, which newer programs ask for, and which GTK 3
// needs: it reads plain "text/plain" as Latin-1.
inline constexpr char kTextPlainUtf8[] = "text/plain;charset=utf-8";

// A text offered by the given formats: "text/plain" as Qt offers a text, any
// other as the text's UTF-8 bytes. Those bytes are made only if someone asks
// for them: a drag starts at once, whatever its length.
class Utf8TextMimeData : public QMimeData {
public:
    explicit Utf8TextMimeData(QStringList formats) : formats_(std::move(formats)) {}

    QStringList formats() const override { return formats_; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        const QString plain = QStringLiteral("text/plain");
        if (mimeType == plain || !formats_.contains(mimeType)) {
            return QMimeData::retrieveData(mimeType, type);
        }
        // Not through text(), which asks for the UTF-8 name first and so
        // would come back here.
        return QMimeData::retrieveData(plain, QMetaType::fromType<QString>()).toString().toUtf8();
    }

private:
    QStringList formats_;
};

}  // namespace quillo
