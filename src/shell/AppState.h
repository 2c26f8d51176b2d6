#pragma once

#include <atomic>

namespace orvella {

// Set just before the event loop starts; the folder tree ignores its changes
// until then.
inline std::atomic<bool> AppStarted{false};
// Set with AppStarted; cleared once the folder remembered in the layout has
// been reached, or after the options dialog is confirmed.
inline std::atomic<bool> RestoreFolderPending{false};

} // namespace orvella
