#include "textconv.h"

#include <QFile>
#include <QStringDecoder>

QString BytesToText(const std::string &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

std::string TextToBytes(const QString &text, const std::string &original)
{
    if (BytesToText(original) == text)
        return original;
    return text.toUtf8().toStdString();
}

QString PathToQ(const std::string &path)
{
    return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

std::string PathFromQ(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}
