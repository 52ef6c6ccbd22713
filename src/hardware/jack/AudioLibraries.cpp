#include "hardware/jack/AudioLibraries.h"

#include "hardware/jack/JackClient.h"

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <string_view>

namespace {

// The libraries' run-time names: the ones the development packages link against.
constexpr const char* JackLibrary = "libjack.so.0";
constexpr const char* SoxrLibrary = "libsoxr.so.0";

void* Open(const char* library) {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        throw JackClientError(std::string("the library ") + library + " cannot be loaded" +
                              (reason ? std::string(": ") + reason : std::string()));
    }
    return handle;
}

template <typename Call>
void Bind(void* handle, const char* library, const char* name, Call& call) {
    call = reinterpret_cast<Call>(dlsym(handle, name));
    if (call == nullptr) throw JackClientError(std::string("the library ") + library + " has no " + name);
}

AudioLibraries Load() {
    void* const jack = Open(JackLibrary);
    void* const soxr = Open(SoxrLibrary);
    AudioLibraries calls;
#define ZEK8_AUDIO_CALL_BIND(name)                                                                                     \
    Bind(std::string_view(#name).starts_with("jack_") ? jack : soxr,                                                   \
         std::string_view(#name).starts_with("jack_") ? JackLibrary : SoxrLibrary, #name, calls.name);
    ZEK8_AUDIO_CALLS(ZEK8_AUDIO_CALL_BIND)
#undef ZEK8_AUDIO_CALL_BIND
    // The handles stay open: the process thread calls into the client library until the
    // program ends.
    return calls;
}

} // namespace

const AudioLibraries& LoadAudioLibraries() {
    static std::mutex mutex;
    static AudioLibraries calls;
    static bool loaded = false;
    const std::lock_guard lock(mutex);
    if (!loaded) {
        calls = Load();
        loaded = true;
    }
    return calls;
}
