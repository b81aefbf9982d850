#pragma once
// The events of a run written out: a transcript to read, or one JSON object per line. Texts are
// the script's bytes, decoded as Latin-1 so that the output is always valid UTF-8.

#include "script/PlayTypes.h"

#include <string>
#include <string_view>

namespace script {

std::string Latin1ToUtf8(std::string_view bytes);

std::string TranscriptLine(const TEvent& event);
std::string JsonLine(const TEvent& event);

// Every event, one line each (ending in LF).
std::string Transcript(const TRunResult& result);
std::string JsonLines(const TRunResult& result);

} // namespace script
