#include "StoredGeometry.h"

#include "SettingsStore.h"

namespace velmora::windows {

namespace {

const QString general = QStringLiteral("general");

} // namespace

bool storedGeometryFits(const StoredGeometry &g, double screenWidth, double screenHeight)
{
    return g.top > 0 && g.left > 0 && g.height >= MinStoredHeight && g.width >= MinStoredWidth
           && g.height + g.top <= screenHeight && g.width + g.left <= screenWidth;
}

StoredGeometry readStoredGeometry(const services::SettingsStore &store, const GeometryKeys &keys,
                                  const StoredGeometry &present)
{
    StoredGeometry stored;
    stored.top = services::readNumberSetting(store, general, keys.top, present.top);
    stored.left = services::readNumberSetting(store, general, keys.left, present.left);
    stored.height = services::readNumberSetting(store, general, keys.height, present.height);
    stored.width = services::readNumberSetting(store, general, keys.width, present.width);
    return stored;
}

void saveStoredGeometry(services::SettingsStore &store, const GeometryKeys &keys,
                        const StoredGeometry &g)
{
    store.SaveSetting(general, keys.top, singleText(g.top));
    store.SaveSetting(general, keys.left, singleText(g.left));
    store.SaveSetting(general, keys.height, singleText(g.height));
    store.SaveSetting(general, keys.width, singleText(g.width));
}

QString singleText(double value)
{
    return QString::number(static_cast<double>(static_cast<float>(value)), 'g', 7);
}

} // namespace velmora::windows
