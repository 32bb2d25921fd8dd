// MD5 digests (RFC 1321).
#pragma once

#include "base/types.h"

// The digest as 32 lower-case hex digits, or empty when the platform's
// cryptographic service fails.
Text md5_hex(const ByteArray& bytes);
