#pragma once
// How the play-test window words a run: message lines with their colour codes drawn, menu options
// as the client lists them, and the texts of the effects log and the history, each read in the
// encoding of the document played.

#include "script/PlayTypes.h"

#include <QString>

class TTextEncoding;

#include <string>
#include <vector>

// One message line with its colour codes drawn, as rich text.
QString MessageHtml(const std::string& line, const TTextEncoding& encoding);
// A menu option as the client lists it: its colour codes are not shown.
QString PlainOption(const std::string& option, const TTextEncoding& encoding);
// What the run did to the player and the world, for the effects log; empty for dialogue events.
QString EffectText(const script::TEvent& e, const TTextEncoding& encoding);
// Why an effect is only approximately what the server does; empty when the play simulated it.
QString ApproximateWhy(const script::TEvent& e);
// An answered pause, for the history; empty for the other events. `menu` is the last menu shown.
QString AnswerText(const script::TEvent& e, const std::vector<std::string>& menu, const TTextEncoding& encoding);
