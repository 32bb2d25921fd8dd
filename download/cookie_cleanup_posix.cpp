// The cookie clean-up on POSIX systems. The download engine keeps no session and
// no cookie store between downloads: every download runs on a fresh libcurl
// handle whose cookie engine is never switched on, so each starts without
// cookies and its session ends with it. No browser keeps cookie files for the
// program here, so nothing is deleted.
#include "download/cookie_cleanup.h"

void clear_browser_cookies() {}
