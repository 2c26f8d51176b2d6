#pragma once

namespace orvella {

// Where the program is in its start-up, handed to the main window.
struct StartupState {
    // Set just before the event loop starts; the folder tree ignores its
    // changes until then.
    bool AppStarted = false;
    // Set with AppStarted; cleared once the folder remembered in the layout
    // has been reached, or after the options dialog is confirmed.
    bool RestoreFolderPending = false;
};

} // namespace orvella
