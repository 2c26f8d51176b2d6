#include "shell/Progress.h"

#include "shell/Log.h"

#include <string>

namespace orvella {

void Progress::open(int maximum) {
    showWindow(maximum);
    logGuarded("Progress form created");
}

void Progress::step(int position) {
    setPosition(position);
    logGuarded("Progress form updated. Position: " + std::to_string(position));
}

void Progress::close() {
    hideWindow();
    logGuarded("Progress form destroyed");
}

} // namespace orvella
