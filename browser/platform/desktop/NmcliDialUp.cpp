#include "NmcliDialUp.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

constexpr qsizetype MaxErrorBytes = 4096;
constexpr int MaxDetailChars = 200;
// The client's own wait ends this much before it is killed.
constexpr int KillMarginMs = 5000;
constexpr int KillWaitMs = 1000;

QProcessEnvironment untranslated()
{
    // State names and messages are translated in other locales.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s);
    return environment;
}

} // namespace

NmcliDialUp::NmcliDialUp(const QString &program) : NmcliDialUp(program, Timeouts{}) {}

NmcliDialUp::NmcliDialUp(const QString &program, Timeouts timeouts)
    : m_program(program), m_timeouts(timeouts), m_owner(std::make_unique<QObject>())
{
}

NmcliDialUp::~NmcliDialUp()
{
    // Clients still running are killed without an answer; none is waited for
    // longer than it takes to reap a killed process.
    const QList<QProcess *> running = m_owner->findChildren<QProcess *>();
    for (QProcess *process : running) {
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        process->kill();
    }
    for (QProcess *process : running)
        process->waitForFinished(KillWaitMs);
}

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
    static constexpr QLatin1StringView dialled[]
        = {"gsm"_L1, "cdma"_L1, "pppoe"_L1, "bluetooth"_L1, "vpn"_L1};
    for (QLatin1StringView name : dialled) {
        if (type == name)
            return true;
    }
    return false;
}

QString NmcliDialUp::errorDetail(const QByteArray &errorOutput)
{
    const QStringList lines = QString::fromUtf8(errorOutput).split(u'\n', Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        QString line = it->trimmed();
        // Control characters would reach a message box as they are.
        line.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
        if (line.isEmpty())
            continue;
        if (line.size() > MaxDetailChars)
            line = line.left(MaxDetailChars) + u'…';
        return line;
    }
    return {};
}

void NmcliDialUp::run(const QStringList &arguments, int timeoutMs, Finished finished)
{
    struct State
    {
        QByteArray output;
        QByteArray errors;
        bool answered = false;
    };
    auto state = std::make_shared<State>();
    QObject *owner = m_owner.get();
    auto *process = new QProcess(owner);
    auto *deadline = new QTimer(process);
    deadline->setSingleShot(true);

    // Once, from the event loop; the process is reaped and deleted without
    // waiting for it.
    const auto answer = [owner, process, deadline, state, finished](const DialUpError &error) {
        if (state->answered)
            return;
        state->answered = true;
        deadline->stop();
        QObject::disconnect(process, nullptr, owner, nullptr);
        QObject::disconnect(deadline, nullptr, owner, nullptr);
        if (process->state() == QProcess::NotRunning) {
            process->deleteLater();
        } else {
            QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
            process->kill();
        }
        QMetaObject::invokeMethod(
            owner, [finished, output = state->output, error] { finished(output, error); },
            Qt::QueuedConnection);
    };

    QObject::connect(process, &QProcess::readyReadStandardOutput, owner, [process, state, answer] {
        state->output += process->readAllStandardOutput();
        if (state->output.size() > MaxOutputBytes)
            answer({DialUpError::Kind::Failed, {}});
    });
    QObject::connect(process, &QProcess::readyReadStandardError, owner, [process, state] {
        state->errors += process->readAllStandardError();
        if (state->errors.size() > MaxErrorBytes)
            state->errors = state->errors.right(MaxErrorBytes);
    });
    QObject::connect(process, &QProcess::errorOccurred, owner,
                     [answer](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             answer({DialUpError::Kind::Unavailable, {}});
                     });
    QObject::connect(process, &QProcess::finished, owner,
                     [process, state, answer](int exitCode, QProcess::ExitStatus status) {
                         state->output += process->readAllStandardOutput();
                         state->errors += process->readAllStandardError();
                         if (state->output.size() > MaxOutputBytes)
                             answer({DialUpError::Kind::Failed, {}});
                         else if (status != QProcess::NormalExit || exitCode != 0)
                             answer({DialUpError::Kind::Failed, errorDetail(state->errors)});
                         else
                             answer({});
                     });
    QObject::connect(deadline, &QTimer::timeout, owner, [answer] {
        answer({DialUpError::Kind::TimedOut, {}});
    });

    process->setProcessEnvironment(untranslated());
    process->setStandardInputFile(QProcess::nullDevice());
    deadline->start(timeoutMs);
    process->start(m_program, arguments, QIODevice::ReadOnly);
}

QStringList NmcliDialUp::changeArguments(const QStringList &command) const
{
    const int waitSeconds = std::max(1, (m_timeouts.changeMs - KillMarginMs) / 1000);
    return QStringList{u"--wait"_s, QString::number(waitSeconds)} + command;
}

void NmcliDialUp::entries(EntriesAnswer answer)
{
    run({u"-t"_s, u"-f"_s, u"NAME,TYPE"_s, u"connection"_s, u"show"_s}, m_timeouts.listMs,
        [answer](const QByteArray &output, const DialUpError &error) {
            if (error.failed()) {
                answer(std::nullopt, error);
                return;
            }
            QStringList names;
            for (const QString &line : QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts)) {
                const QStringList fields = splitTerseLine(line);
                if (fields.size() == 2 && isDialledType(fields.at(1)))
                    names.append(fields.at(0));
            }
            answer(names, {});
        });
}

void NmcliDialUp::activeConnections(ConnectionsAnswer answer)
{
    run({u"-t"_s, u"-f"_s, u"UUID,TYPE,STATE"_s, u"connection"_s, u"show"_s, u"--active"_s},
        m_timeouts.listMs, [answer](const QByteArray &output, const DialUpError &error) {
            if (error.failed()) {
                answer(std::nullopt, error);
                return;
            }
            QList<DialUpConnection> connections;
            for (const QString &line : QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts)) {
                const QStringList fields = splitTerseLine(line);
                if (fields.size() != 3 || !isDialledType(fields.at(1)))
                    continue;
                connections.append({fields.at(0), fields.at(2) == "activated"_L1});
            }
            answer(connections, {});
        });
}

void NmcliDialUp::dial(const QString &entry, DoneAnswer answer)
{
    run(changeArguments({u"connection"_s, u"up"_s, u"id"_s, entry}), m_timeouts.changeMs,
        [answer](const QByteArray &, const DialUpError &error) { answer(error); });
}

void NmcliDialUp::hangUp(const DialUpConnection &connection, DoneAnswer answer)
{
    run(changeArguments({u"connection"_s, u"down"_s, u"uuid"_s, connection.handle}),
        m_timeouts.changeMs,
        [answer](const QByteArray &, const DialUpError &error) { answer(error); });
}

} // namespace velmora::platform
