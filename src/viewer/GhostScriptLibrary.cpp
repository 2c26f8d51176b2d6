#include "viewer/GhostScriptLibrary.h"

#include <ghostscript/gdevdsp.h>
#include <ghostscript/iapi.h>

#include <dlfcn.h>

namespace orvella {

namespace {

// A looked-up address as the function type the interpreter's header
// declares; null stays null.
template <typename Function> Function* typed(void* address) {
    return reinterpret_cast<Function*>(address);
}

} // namespace

TGhostScriptLibrary::TGhostScriptLibrary(const std::string& fileName)
    : fileName_(fileName), handle_(::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

TGhostScriptLibrary::~TGhostScriptLibrary() {
    if (handle_)
        ::dlclose(handle_);
}

void* TGhostScriptLibrary::symbol(const char* name) const {
    return handle_ ? ::dlsym(handle_, name) : nullptr;
}

int TGhostScriptLibrary::NewInstance(void** instance, void* caller) const {
    auto function = typed<decltype(gsapi_new_instance)>(symbol("gsapi_new_instance"));
    return function ? function(instance, caller) : 0;
}

int TGhostScriptLibrary::DeleteInstance(void* instance) const {
    auto function = typed<decltype(gsapi_delete_instance)>(symbol("gsapi_delete_instance"));
    if (function)
        function(instance);
    return 0;
}

int TGhostScriptLibrary::SetStdio(void* instance, StdinHandler in, StdoutHandler out,
                                  StdoutHandler err) const {
    auto function = typed<decltype(gsapi_set_stdio)>(symbol("gsapi_set_stdio"));
    return function ? function(instance, in, out, err) : 0;
}

int TGhostScriptLibrary::SetPoll(void* instance, PollHandler poll) const {
    auto function = typed<decltype(gsapi_set_poll)>(symbol("gsapi_set_poll"));
    return function ? function(instance, poll) : 0;
}

int TGhostScriptLibrary::SetDisplayCallback(void* instance, display_callback_s* callback) const {
    auto function =
        typed<decltype(gsapi_set_display_callback)>(symbol("gsapi_set_display_callback"));
    return function ? function(instance, callback) : 0;
}

int TGhostScriptLibrary::InitWithArgs(void* instance, int argc, char** argv) const {
    auto function = typed<decltype(gsapi_init_with_args)>(symbol("gsapi_init_with_args"));
    return function ? function(instance, argc, argv) : 0;
}

int TGhostScriptLibrary::RunFile(void* instance, const char* fileName, int userErrors,
                                 int* exitCode) const {
    auto function = typed<decltype(gsapi_run_file)>(symbol("gsapi_run_file"));
    return function ? function(instance, fileName, userErrors, exitCode) : 0;
}

int TGhostScriptLibrary::Exit(void* instance) const {
    auto function = typed<decltype(gsapi_exit)>(symbol("gsapi_exit"));
    return function ? function(instance) : 0;
}

} // namespace orvella
