#pragma once

#include <jack/jack.h>
#include <soxr.h>

// The audio server's client library and the resampler, mapped the first time the audio
// interface opens: a run on a simulated bench or without hardware, and every start of the
// headless runner, never loads them (with their own libraries they cost some 2 ms a start).
// The calls keep the types of the libraries' own declarations.
#define ZEK8_AUDIO_CALLS(X)                                                                                            \
    X(jack_client_open)                                                                                                \
    X(jack_client_close)                                                                                               \
    X(jack_connect)                                                                                                    \
    X(jack_free)                                                                                                       \
    X(jack_get_ports)                                                                                                  \
    X(jack_activate)                                                                                                   \
    X(jack_deactivate)                                                                                                 \
    X(jack_get_buffer_size)                                                                                            \
    X(jack_get_client_name)                                                                                            \
    X(jack_get_sample_rate)                                                                                            \
    X(jack_on_info_shutdown)                                                                                           \
    X(jack_port_by_name)                                                                                               \
    X(jack_port_disconnect)                                                                                            \
    X(jack_port_get_buffer)                                                                                            \
    X(jack_port_name)                                                                                                  \
    X(jack_port_register)                                                                                              \
    X(jack_set_process_callback)                                                                                       \
    X(jack_set_xrun_callback)                                                                                          \
    X(soxr_create)                                                                                                     \
    X(soxr_delete)                                                                                                     \
    X(soxr_io_spec)                                                                                                    \
    X(soxr_process)                                                                                                    \
    X(soxr_quality_spec)

struct AudioLibraries {
#define ZEK8_AUDIO_CALL_FIELD(name) decltype(&::name) name = nullptr;
    ZEK8_AUDIO_CALLS(ZEK8_AUDIO_CALL_FIELD)
#undef ZEK8_AUDIO_CALL_FIELD
};

// The libraries' calls, loaded once and kept for the life of the program. Throws
// JackClientError naming what could not be loaded; a later call tries again.
const AudioLibraries& LoadAudioLibraries();
