// Two running instances writing the settings store and the address history
// while a third keeps reading them. Re-launches this executable with
// "--writer <id> <seconds>" for the writing instances.

#include "AddressHistory.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <cstdio>

using namespace velmora::services;
using namespace Qt::StringLiterals;

namespace {

constexpr int SeedKeys = 30;
constexpr int HistoryItems = 100;

QString seedValue(int k)
{
    return u"seed value "_s + QString::number(k) + u' ' + QString(300, u'я');
}

QString sharedValue(const QString &id, qint64 generation)
{
    return id + u':' + QString::number(generation) + u':' + QString(200, u'x') + u":end"_s;
}

QString historyItem(const QString &id, qint64 generation, int i)
{
    return u"w"_s + id + u"-g"_s + QString::number(generation) + u"-i"_s + QString::number(i)
           + u".example"_s;
}

constexpr qint64 MinGenerations = 50;

int runWriter(const QString &id, double seconds)
{
    SettingsStore store;
    AddressHistory history{ProgramFolder()};
    QComboBox Combo1;
    const QDeadlineTimer deadline(qint64(seconds * 1000));
    qint64 generation = 0;
    // A loaded machine slows the loop down; the writer still does a fair
    // amount of work before it stops.
    while (!deadline.hasExpired() || generation < MinGenerations) {
        ++generation;
        if (!store.SaveSetting(u"general"_s, u"w"_s + id + u"_counter"_s,
                               QString::number(generation)))
            return 2;
        if (!store.SaveSetting(u"general"_s, u"shared"_s, sharedValue(id, generation)))
            return 2;
        Combo1.clear();
        for (int i = 0; i < HistoryItems; ++i)
            Combo1.addItem(historyItem(id, generation, i));
        if (!history.saveHistory(Combo1))
            return 3;
    }
    std::printf("%lld\n", static_cast<long long>(generation));
    return 0;
}

// The items of one complete save: all from one writer and one generation.
bool isCompleteHistory(const QStringList &items)
{
    if (items.size() != HistoryItems)
        return false;
    static const QRegularExpression shape(u"^w(\\d)-g(\\d+)-i0\\.example$"_s);
    const QRegularExpressionMatch m = shape.match(items.first());
    if (!m.hasMatch())
        return false;
    const QString id = m.captured(1);
    const qint64 generation = m.captured(2).toLongLong();
    for (int i = 0; i < HistoryItems; ++i) {
        if (items.at(i) != historyItem(id, generation, i))
            return false;
    }
    return true;
}

} // namespace

class tst_SharedFiles : public QObject
{
    Q_OBJECT

private slots:
    void readersNeverSeeHalfWrittenFiles();
};

void tst_SharedFiles::readersNeverSeeHalfWrittenFiles()
{
    velmora::test::TestEnvironment env;
    const double seconds = qEnvironmentVariableIsSet("VELMORA_STRESS_SECONDS")
                               ? qEnvironmentVariable("VELMORA_STRESS_SECONDS").toDouble()
                               : 4.0;

    SettingsStore store;
    for (int k = 0; k < SeedKeys; ++k)
        QVERIFY(store.SaveSetting(u"general"_s, u"seed"_s + QString::number(k), seedValue(k)));
    AddressHistory history{ProgramFolder()};
    QStringList first;
    for (int i = 0; i < HistoryItems; ++i)
        first.append(historyItem(u"0"_s, 0, i));
    QVERIFY(history.saveItems(first));

    QProcess writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writers[w].start(QCoreApplication::applicationFilePath(),
                         {u"--writer"_s, QString::number(w + 1), QString::number(seconds)});
        QVERIFY(writers[w].waitForStarted());
    }

    const QRegularExpression sharedShape(u"^[12]:\\d+:x{200}:end$"_s);
    int settingsReads = 0;
    int historyReads = 0;
    QSet<QString> historyWriters;
    auto running = [&] {
        return writers[0].state() != QProcess::NotRunning
               || writers[1].state() != QProcess::NotRunning;
    };
    while (running()) {
        const QList<QPair<QString, QString>> all = store.GetAllSettings(u"general"_s);
        QHash<QString, QString> values;
        for (const auto &[key, value] : all)
            values.insert(key, value);
        for (int k = 0; k < SeedKeys; ++k)
            QCOMPARE(values.value(u"seed"_s + QString::number(k)), seedValue(k));
        if (values.contains(u"shared"_s))
            QVERIFY2(sharedShape.match(values.value(u"shared"_s)).hasMatch(),
                     qPrintable(values.value(u"shared"_s).left(40)));
        ++settingsReads;

        bool complete = false;
        const QStringList items = history.readItems(&complete);
        QVERIFY(complete);
        QVERIFY2(isCompleteHistory(items), qPrintable(items.value(0)));
        historyWriters.insert(items.first().mid(1, 1));
        ++historyReads;

        if (historyReads % 50 == 0) {
            QComboBox Combo1;
            history.loadHistory(Combo1);
            QStringList loaded;
            for (int i = 0; i < Combo1.count(); ++i)
                loaded.append(Combo1.itemText(i));
            QVERIFY(isCompleteHistory(loaded));
        }
        QCoreApplication::processEvents();
        writers[0].waitForFinished(0);
        writers[1].waitForFinished(0);
    }

    for (int w = 0; w < 2; ++w) {
        QCOMPARE(writers[w].exitStatus(), QProcess::NormalExit);
        QCOMPARE(writers[w].exitCode(), 0);
        const qint64 generations = writers[w].readAllStandardOutput().trimmed().toLongLong();
        QVERIFY2(generations > 20, "the writer hardly wrote anything");
        // Each writer's last change survived the other's writes.
        QCOMPARE(store.GetSetting(u"general"_s, u"w"_s + QString::number(w + 1) + u"_counter"_s),
                 QString::number(generations));
    }
    QVERIFY(!history.hasPendingDamage());
    QVERIFY2(settingsReads > 20, "the reader hardly read anything");
    QVERIFY(historyWriters.contains(u"1"_s) || historyWriters.contains(u"2"_s));
    qInfo("%d reads of each file while the writers ran", settingsReads);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == u"--writer")
        return runWriter(args.at(2), args.at(3).toDouble());
    tst_SharedFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sharedfiles.moc"
