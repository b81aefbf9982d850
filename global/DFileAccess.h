#pragma once
// Whole-file reading and safe whole-file writing, shared by the catalogue readers, the project
// file and the script output. A path is the system's bytes, whatever encoding (if any) they are in.

#include "DErrors.h"

#include <string>

// The whole content of a file; EInOutError naming it when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Replaces path with bytes only once everything is written and flushed; on failure the old file
// stays as it was and EInOutError carries the platform's message.
void WriteFileSafely(const std::string& path, const std::string& bytes);
