#pragma once
// Whole-file reading and safe whole-file writing, shared by the catalogue readers, the project
// file and the script output. A path is the system's bytes, whatever encoding (if any) they are in.

#include "platform/Errors.h"

#include <string>
#include <vector>

// The whole content of a file; EInOutError naming it when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Replaces path with bytes only once everything is written and flushed; on failure the old file
// stays as it was and EInOutError carries the platform's message. A symbolic link stays a link:
// the file it names is replaced.
void WriteFileSafely(const std::string& path, const std::string& bytes);

struct TFileContent {
    std::string Path;
    std::string Bytes;
};
// The same for files that belong together (a project and its side file): every one is written
// and flushed beside its place before the first is put in place, so a failure while writing
// leaves all of them as they were, and the files are replaced one right after another.
void WriteFilesSafely(const std::vector<TFileContent>& files);
