#include "native_text.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace brikmux {

std::string toNativeText(const QString& text)
{
#ifdef _WIN32
    return text.toStdString();
#else
    return QFile::encodeName(text).toStdString();
#endif
}

QString fromNativeText(std::string_view bytes)
{
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
#ifdef _WIN32
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(data);
    return utf8.hasError() ? QString::fromLocal8Bit(data) : decoded;
#else
    return QFile::decodeName(data);
#endif
}

std::string toPathText(const QString& path)
{
    return toNativeText(QDir::toNativeSeparators(path));
}

} // namespace brikmux
