#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace orvella {

// The worker thread of a view and the ones it stopped. A stopped run ends on
// its own after the item in hand and is joined once done, so the window never
// waits for it; the runs still going are joined when this object ends.
// Run offers Terminate() and Finished().
template <typename Run> class BackgroundRuns {
public:
    BackgroundRuns() = default;
    BackgroundRuns(const BackgroundRuns&) = delete;
    BackgroundRuns& operator=(const BackgroundRuns&) = delete;
    ~BackgroundRuns() { stop(); }

    // Stops the current run and makes this one current.
    void start(std::unique_ptr<Run> run) {
        stop();
        std::erase_if(retired_, [](const std::unique_ptr<Run>& each) { return each->Finished(); });
        current_ = std::move(run);
    }
    void stop() {
        if (!current_)
            return;
        current_->Terminate();
        retired_.push_back(std::move(current_));
    }
    bool running() const { return current_ && !current_->Finished(); }
    // No run is working any more, stopped ones included.
    bool idle() const {
        return !running() &&
               std::all_of(retired_.begin(), retired_.end(),
                           [](const std::unique_ptr<Run>& run) { return run->Finished(); });
    }

private:
    std::unique_ptr<Run> current_;
    std::vector<std::unique_ptr<Run>> retired_;
};

} // namespace orvella
