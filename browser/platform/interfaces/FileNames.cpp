#include "FileNames.h"

#include <QStringDecoder>

namespace velmora::platform {

QString decodeFileName(const QByteArray &name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(name);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1251");
    return ansi.decode(name);
}

QString replaceForbiddenFileCharacters(const QString &name)
{
    QString result = name;
    for (QChar &c : result) {
        if (QStringView(u"\\/:*?\"<>|").contains(c))
            c = QLatin1Char(' ');
    }
    return result;
}

} // namespace velmora::platform
