#pragma once
// A play the user steps through, as the play-test window drives it: every button waits to be
// pressed, each answer replays the run from its start with one more answer (a run is a pure
// function of its setup), and rewinding replays with fewer. The program and the lookups must
// outlive the session.

#include "script/Interpreter.h"

#include <string>

namespace script {

class TPlaySession {
public:
    TPlaySession(const TProgram& program, std::string npc, TPlaySetup setup, const TItemLookup* items = nullptr,
                 const TConstants* constants = nullptr);

    const TRunResult& Result() const { return Result_; }
    const TPlaySetup& Setup() const { return Setup_; }
    bool Waiting() const { return Result_.Outcome == TOutcome::Waiting; }

    // The answers; each is ignored unless the play waits for that kind of answer.
    void Press();  // Next, or the Close button of close2
    void Choose(int option);
    void Type(std::string text);
    // The player as the panel changed it while paused; it holds from this pause on.
    void EditPlayer(const TPlayerState& player);
    // Back to the moment the play waited at pause number `pause` (0: the first).
    void RewindTo(int pause);
    // The script changed: plays the new program with the same answers as far as they still fit.
    void Restart(const TProgram& program);

private:
    void Replay();

    const TProgram* Program_;
    std::string Npc_;
    TPlaySetup Setup_;
    const TItemLookup* Items_;
    const TConstants* Constants_;
    TRunResult Result_;
};

} // namespace script
