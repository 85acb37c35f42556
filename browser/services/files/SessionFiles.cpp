#include "SessionFiles.h"

#include "Product.h"

#include "RuntimeFiles.h"

namespace velmora::services::sessions {

namespace {

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

// A line break inside a value would shift every later title/address pair.
QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

QByteArray bareLine(const QString &text)
{
    return runtime::encodeAnsi(oneLine(text)) + lineEnd;
}

QByteArray addressLine(const QString &address)
{
    return runtime::encodeAnsiAddress(oneLine(address)) + lineEnd;
}

} // namespace

QString sessionHeader()
{
    return QStringLiteral("Velmora saved session file. Version 1.4+. Visit ")
           + QString::fromUtf16(product::SessionHeaderPage) + QStringLiteral(" for details.");
}

QByteArray writeSessionFile(const QList<SavedTab> &tabs)
{
    QByteArray bytes = bareLine(sessionHeader());
    for (const SavedTab &tab : tabs)
        bytes += bareLine(tab.title) + addressLine(tab.address);
    return bytes;
}

QByteArray writeTabList(const QStringList &addresses)
{
    QByteArray bytes;
    for (const QString &address : addresses)
        bytes += runtime::quotedAddress(address) + lineEnd;
    return bytes;
}

SavedTabs readSavedTabs(const QByteArray &bytes)
{
    const QStringList lines = runtime::readRawLines(bytes);
    if (lines.isEmpty()) {
        SavedTabs none;
        none.complete = false;
        return none;
    }
    if (lines.first() != sessionHeader())
        return readTabList(bytes);

    SavedTabs result;
    result.session = true;
    qsizetype i = 1;
    for (; i + 1 < lines.size(); i += 2)
        result.tabs.append({lines.at(i + 1), lines.at(i), true});
    result.complete = i == lines.size();
    return result;
}

SavedTabs readTabList(const QByteArray &bytes)
{
    SavedTabs result;
    runtime::ValueReader reader(bytes);
    while (!reader.atEnd()) {
        try {
            result.tabs.append({reader.readText(), QString(), false});
        } catch (const std::exception &) {
            result.complete = false;
            break;
        }
    }
    return result;
}

QString withSessionSuffix(const QString &path)
{
    const QString name = path.section(u'/', -1);
    if (name.isEmpty() || (name.contains(u'.') && !name.endsWith(u'.')))
        return path;
    return path + (name.endsWith(u'.') ? QStringLiteral("btl") : QStringLiteral(".btl"));
}

} // namespace velmora::services::sessions
