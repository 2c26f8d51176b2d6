#pragma once

#include <cstdint>
#include <string>

namespace orvella {

// What the uploader tells the window while it runs on the window thread. The
// Uploads page implements it on its widgets; the command line prints the
// posted lines; tests record them. ProcessPendingEvents lets the window's
// pending events through (a Stop click among them) between steps.
class UploadWindow {
public:
    virtual ~UploadWindow() = default;

    virtual void PostLine(const std::string& line) = 0;
    virtual void ClearLog() {}
    virtual void SetProgressMaximum(int /*maximum*/) {}
    virtual void SetProgress(int /*position*/) {}
    virtual void ShowCurrentFile(const std::string& /*fileName*/) {}
    // Bytes of the current transfer so far; TransferProgressText gives the
    // label's text.
    virtual void TransferProgress(uint64_t /*bytes*/) {}
    // The run is over: the button goes back to "Start Uploading".
    virtual void Finish() {}
    virtual void ProcessPendingEvents() {}
};

// "1`50 Mb are transfered".
std::string TransferProgressText(uint64_t bytes);

} // namespace orvella
