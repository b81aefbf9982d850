#pragma once
// The events of a run written out: a transcript to read, or one JSON object per line. Texts are
// the script's bytes, decoded as Latin-1 unless told the script's encoding, so that the output is
// always valid UTF-8.

#include "script/PlayTypes.h"

#include <functional>
#include <string>
#include <string_view>

namespace script {

std::string Latin1ToUtf8(std::string_view bytes);

// Turns the script's bytes into UTF-8.
using TTextDecoder = std::function<std::string(std::string_view)>;

std::string TranscriptLine(const TEvent& event, const TTextDecoder& decode = Latin1ToUtf8);
std::string JsonLine(const TEvent& event, const TTextDecoder& decode = Latin1ToUtf8);

// Every event, one line each (ending in LF).
std::string Transcript(const TRunResult& result, const TTextDecoder& decode = Latin1ToUtf8);
std::string JsonLines(const TRunResult& result, const TTextDecoder& decode = Latin1ToUtf8);

} // namespace script
