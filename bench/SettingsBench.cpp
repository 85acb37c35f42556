#include "SettingsBench.h"

#include "FavoritesMenu.h"
#include "FavoritesStore.h"
#include "SettingsStore.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <limits>

namespace velmora::bench {

namespace {

constexpr int Favorites = 1000;
constexpr int Runs = 5;

} // namespace

void printSettingsBench(QTextStream &out)
{
    QTemporaryDir home;
    services::SettingsStore writer(home.path());
    // One file written whole: 1,000 separate saves would measure the writes.
    QByteArray bytes = "[Favorites]\n";
    for (int i = 1; i <= Favorites; ++i)
        bytes += QByteArray::number(i) + "=Page number " + QByteArray::number(i)
                 + "&http://example.com/page/" + QByteArray::number(i) + "\n";
    writer.SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                       QStringLiteral("Russian"));
    QFile file(writer.filePath());
    if (!file.open(QIODevice::Append)) {
        out << "loading 1000 settings-stored favourites: not measured (no store)" << Qt::endl;
        return;
    }
    file.write(bytes);
    file.close();

    qint64 best = std::numeric_limits<qint64>::max();
    int loaded = 0;
    for (int run = 0; run < Runs; ++run) {
        QMenu menu;
        QAction *element0 = menu.addAction(QStringLiteral("built-in"));
        services::FavoritesMenu items(&menu, element0, nullptr, [](int) {});
        // A fresh store each run, as at start: nothing is parsed yet.
        services::SettingsStore settings(home.path());
        services::FavoritesStore store(settings, &items);
        QElapsedTimer timer;
        timer.start();
        store.loadFavorites();
        best = std::min(best, timer.nsecsElapsed());
        loaded = items.count() - 1;
    }
    out << "loading 1000 settings-stored favourites into the menu: "
        << QString::number(double(best) / 1e6, 'f', 1) << " ms (best of " << Runs << ", "
        << loaded << " loaded)" << Qt::endl;
}

} // namespace velmora::bench
