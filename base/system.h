// The process's environment, its files and its event queue. Paths are GBK Texts.
// Failures give the empty Text or false, never an error.
#pragma once

#include <initializer_list>

#include "base/types.h"

// The directory that holds the program file, without a trailing separator.
Text run_directory();

// The variable's value, or empty when it is not set.
Text env_variable(const Text& name);

// Creates one directory whose parent exists; false when it exists or cannot be made.
bool create_directory(const Text& path);

// Deletes one file; false when there is none or it cannot be deleted.
bool delete_file(const Text& path);

// Creates or truncates the file, opened with no sharing, and writes the arrays in order.
bool write_file(const Text& path, std::initializer_list<ByteArray> pieces);

// The whole file, or an empty array when it cannot be read.
ByteArray read_file(const Text& path);

// Handles every window event waiting in the calling thread's queue, then returns.
// A pending quit request stays queued. Without a window system it does nothing.
void process_events();
