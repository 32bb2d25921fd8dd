// Where the parsing service lives. The base address (scheme and host, HTTPS) is
// fixed when the program is built, from the MIREVO_SERVICE_BASE build option;
// there is no configuration at run time. The site address is the base and "/".
#pragma once

#include "base/types.h"

#ifndef MIREVO_SERVICE_BASE
#error "MIREVO_SERVICE_BASE must name the parsing service, e.g. https://localhost:47443"
#endif

inline Text service_base_address() { return MIREVO_SERVICE_BASE; }
inline Text service_site_address() { return MIREVO_SERVICE_BASE "/"; }
