#pragma once

#include <string>

struct display_callback_s;

namespace orvella {

// The interpreter library, loaded with dlopen. The program runs without it:
// every call below then does nothing and yields 0.
class TGhostScriptLibrary {
public:
    explicit TGhostScriptLibrary(const std::string& fileName);
    ~TGhostScriptLibrary();
    TGhostScriptLibrary(const TGhostScriptLibrary&) = delete;
    TGhostScriptLibrary& operator=(const TGhostScriptLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    const std::string& FileName() const { return fileName_; }

    // The interpreter's functions, each looked up by name at every call.
    using StdinHandler = int (*)(void* caller, char* buffer, int length);
    using StdoutHandler = int (*)(void* caller, const char* text, int length);
    using PollHandler = int (*)(void* caller);

    int NewInstance(void** instance, void* caller) const;
    int DeleteInstance(void* instance) const;
    int SetStdio(void* instance, StdinHandler in, StdoutHandler out, StdoutHandler err) const;
    int SetPoll(void* instance, PollHandler poll) const;
    int SetDisplayCallback(void* instance, display_callback_s* callback) const;
    int InitWithArgs(void* instance, int argc, char** argv) const;
    int RunFile(void* instance, const char* fileName, int userErrors, int* exitCode) const;
    int Exit(void* instance) const;

private:
    void* symbol(const char* name) const;

    std::string fileName_;
    void* handle_ = nullptr;
};

// The library's name on this system.
inline constexpr const char* kGhostScriptLibraryName = "libgs.so.10";

} // namespace orvella
