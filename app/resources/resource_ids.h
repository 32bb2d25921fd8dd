// Resource identifiers shared by the resource scripts and the code that reads them.
#pragma once

#define MIREVO_ICON 1
// The skin-engine library's bytes, carried by the program and written out at start.
#define MIREVO_SKIN_ENGINE 101
