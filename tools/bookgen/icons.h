#pragma once
// Square icons for packs and resources, as the client shows them (128 x 128).

#include <QImage>
#include <QString>
#include <QStringList>

namespace icons {

// meadow, shapes, pack, songs, morning, march, lullaby, birds.
QStringList kinds();
// A null image for an unknown kind.
QImage icon(const QString& kind);

} // namespace icons
