// Data that the program file carries in its resources.
#pragma once

#include "base/types.h"

// The skin-engine library's bytes; empty when the program file lacks them.
const ByteArray& carried_skin_engine();
