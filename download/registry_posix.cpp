// There is no registry on POSIX systems: every key reads as missing, so folder
// lookups rely on the environment alone.
#include "download/special_folder.h"

ByteArray read_registry_bytes(const Text&, const Text&, std::uint32_t*) { return {}; }
