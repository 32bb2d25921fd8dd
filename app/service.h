// Where the parsing service lives. The base address is scheme and host only; the
// site address is the base followed by "/".
#pragma once

#include "base/types.h"

inline Text service_base_address() { return "https://parse.mirevo.example"; }
inline Text service_site_address() { return "https://parse.mirevo.example/"; }
