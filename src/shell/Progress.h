#pragma once

namespace orvella {

// The small "Processing" window of long operations. The logging is common to
// every implementation; the window itself is the subclass's.
class Progress {
public:
    virtual ~Progress() = default;

    void open(int maximum);
    void step(int position);
    void close();

protected:
    virtual void showWindow(int maximum) = 0;
    virtual void setPosition(int position) = 0; // also lets pending events through
    virtual void hideWindow() = 0;
};

// Keeps the progress window open for a scope, so it closes on every path,
// errors included.
class ProgressScope {
public:
    ProgressScope(Progress& progress, int maximum) : progress_(progress) {
        progress_.open(maximum);
    }
    ~ProgressScope() { progress_.close(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void step(int position) { progress_.step(position); }

private:
    Progress& progress_;
};

} // namespace orvella
