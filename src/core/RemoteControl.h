#pragma once

#include <cstddef>
#include <string>

// Where the remote-control file lives when nothing else is said: the data folder of
// the user (`$XDG_DATA_HOME`, else `~/.local/share`) + "ZEK8/ZEKControl.dat".
std::string DefaultRemoteControlPath();

// The size of the file the exchange reads at most; the records are a few lines.
constexpr std::size_t RemoteFileReadLimit = 4096;
