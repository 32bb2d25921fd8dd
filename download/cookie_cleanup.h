// Clearing the browser engine's session and stored cookies before a download.
#pragma once

#include "base/types.h"

// Ends the browser engine's session for the process and deletes the cookie files
// ("*.txt") in the user's cookie folder, read-only ones included. Files in
// subfolders and files of other kinds are kept. When the cookie folder cannot be
// read nothing is deleted. Every failure is silent.
void clear_browser_cookies();

// The deletion pattern for a cookie folder: the folder followed by "\*.txt". An
// empty folder gives an empty pattern, never a bare "\*.txt", which would name
// the text files in the root of the current drive.
Text cookie_file_pattern(const Text& folder);
