#pragma once
// The server on a byte stream: frames read from a file descriptor (standard input) on a thread of
// their own, so that checks run only while no message waits and a burst of edits is checked once.

#include "lsp/Server.h"

#include <cstdio>

namespace lsp {

// Serves until the editor's exit or the end of input; returns the exit status.
int RunConnection(TServerOptions options, int input, std::FILE* output);

} // namespace lsp
