#pragma once

#include <QString>

namespace velmora::services {
class SettingsStore;
}

namespace velmora::windows {

// A window's place and size, twips, as the settings keep it.
struct StoredGeometry
{
    double top = 0;
    double left = 0;
    double height = 0;
    double width = 0;
};

// The four keys (section "general") a window keeps its geometry under.
struct GeometryKeys
{
    QString top;
    QString left;
    QString height;
    QString width;
};

// The smallest stored size a window takes back, twips.
inline constexpr double MinStoredHeight = 4512;
inline constexpr double MinStoredWidth = 8052;

// Whether a stored geometry may be restored on a screen of this size (twips).
bool storedGeometryFits(const StoredGeometry &stored, double screenWidth, double screenHeight);

// The stored geometry; a key that is missing or holds no number gives the
// matching part of present.
StoredGeometry readStoredGeometry(const services::SettingsStore &store, const GeometryKeys &keys,
                                  const StoredGeometry &present);
void saveStoredGeometry(services::SettingsStore &store, const GeometryKeys &keys,
                        const StoredGeometry &g);

// A single-precision number as text, the form the geometry keys hold.
QString singleText(double value);

} // namespace velmora::windows
