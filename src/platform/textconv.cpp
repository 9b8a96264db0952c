#include "textconv.h"

#include <QFile>
#include <QStringDecoder>

#include <optional>

namespace {

// The bytes as UTF-8, or nothing when they are not valid UTF-8.
std::optional<QString> DecodeUtf8(const std::string &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QString BytesToText(const std::string &bytes)
{
    if (std::optional<QString> text = DecodeUtf8(bytes))
        return *text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string TextToBytes(const QString &text, const std::string &original)
{
    if (DecodeUtf8(original))
        return BytesToText(original) == text ? original : text.toUtf8().toStdString();
    // Shown as Latin-1: every character that stands for a byte is that byte
    // again, so editing one letter changes that letter only. A character typed
    // that Latin-1 has not goes in as UTF-8.
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (char32_t c : text.toUcs4()) {
        if (c <= 0xFF) {
            bytes.push_back(static_cast<char>(c));
        } else {
            const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
            bytes.append(utf8.constData(), static_cast<size_t>(utf8.size()));
        }
    }
    return bytes;
}

QString PathToQ(const std::string &path)
{
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

std::string PathFromQ(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}
