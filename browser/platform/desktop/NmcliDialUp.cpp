#include "NmcliDialUp.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// Long enough for a busy service, short enough not to hang the window.
constexpr int StartTimeoutMs = 2000;
constexpr int RunTimeoutMs = 5000;

QProcessEnvironment untranslated()
{
    // State names are translated in other locales.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    return environment;
}

} // namespace

NmcliDialUp::NmcliDialUp(const QString &program) : m_program(program) {}

QStringList NmcliDialUp::splitTerseLine(const QString &line)
{
    QStringList fields;
    QString field;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\\' && i + 1 < line.size()) {
            field += line.at(++i);
        } else if (c == u':') {
            fields.append(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.append(field);
    return fields;
}

bool NmcliDialUp::isDialledType(const QString &type)
{
    static constexpr QLatin1StringView dialled[] = {"gsm"_L1, "cdma"_L1, "pppoe"_L1,
                                                    "bluetooth"_L1, "vpn"_L1};
    for (QLatin1StringView name : dialled) {
        if (type == name)
            return true;
    }
    return false;
}

std::optional<QStringList> NmcliDialUp::run(const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(untranslated());
    process.start(m_program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(StartTimeoutMs))
        return std::nullopt;
    if (!process.waitForFinished(RunTimeoutMs)) {
        process.kill();
        process.waitForFinished(StartTimeoutMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    return output.split(u'\n', Qt::SkipEmptyParts);
}

void NmcliDialUp::start(const QStringList &arguments) const
{
    QProcess process;
    process.setProgram(m_program);
    process.setArguments(arguments);
    process.setProcessEnvironment(untranslated());
    process.setStandardInputFile(QProcess::nullDevice());
    process.startDetached();
}

std::optional<QStringList> NmcliDialUp::entries() const
{
    const auto lines = run({u"-t"_s, u"-f"_s, u"NAME,TYPE"_s, u"connection"_s, u"show"_s});
    if (!lines)
        return std::nullopt;
    QStringList names;
    for (const QString &line : *lines) {
        const QStringList fields = splitTerseLine(line);
        if (fields.size() == 2 && isDialledType(fields.at(1)))
            names.append(fields.at(0));
    }
    return names;
}

std::optional<QList<DialUpConnection>> NmcliDialUp::activeConnections() const
{
    const auto lines = run({u"-t"_s, u"-f"_s, u"UUID,TYPE,STATE"_s, u"connection"_s, u"show"_s,
                            u"--active"_s});
    if (!lines)
        return std::nullopt;
    QList<DialUpConnection> connections;
    for (const QString &line : *lines) {
        const QStringList fields = splitTerseLine(line);
        if (fields.size() != 3 || !isDialledType(fields.at(1)))
            continue;
        connections.append({fields.at(0), fields.at(2) == "activated"_L1});
    }
    return connections;
}

void NmcliDialUp::dial(const QString &entry)
{
    start({u"connection"_s, u"up"_s, u"id"_s, entry});
}

void NmcliDialUp::hangUp(const DialUpConnection &connection)
{
    start({u"connection"_s, u"down"_s, u"uuid"_s, connection.handle});
}

} // namespace velmora::platform
