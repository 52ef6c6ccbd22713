#pragma once

#include <memory>

#include "core/LabNetwork.h"

// The lab network on an MQTT broker through libmosquitto, in a thread of its own.
// Returns at once; a broker that is not there yet is tried again with back-off, and
// LinkState says why the link is down meanwhile.
std::unique_ptr<LabNetwork> OpenMosquittoLink(const BrokerLink& link);
