// What the status and About windows read from the session's cache, in their own terms.
#pragma once

#include "client/monview/status_window.h"
#include "client/session/client_session.h"
#include "client/status/display_record.h"

namespace gw {

// One tick's inputs; the Fahrenheit switch is the panel's own.
GaugeInputs gaugeInputs(const ClientSession& session);
UpsIdentity upsIdentity(const ClientSession& session);

}  // namespace gw
