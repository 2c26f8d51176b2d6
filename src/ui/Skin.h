#pragma once

#include <QString>

namespace orvella {

// Skins are Qt styles with palettes. "BlueIce (internal)" is Orvella's own
// palette on the Fusion style; an inactive skin gives the platform's style.
void applySkin(const QString& name, bool active);

} // namespace orvella
