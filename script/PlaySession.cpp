#include "script/PlaySession.h"

namespace script {

TPlaySession::TPlaySession(const TProgram& program, std::string npc, TPlaySetup setup, const TItemLookup* items,
                           const TConstants* constants)
    : Program_(&program), Npc_(std::move(npc)), Setup_(std::move(setup)), Items_(items), Constants_(constants)
{
    Setup_.Presses = Setup_.Presses.value_or(0);
    Replay();
}

void TPlaySession::Replay()
{
    Result_ = Play(*Program_, Npc_, Setup_, Items_, Constants_);
}

void TPlaySession::Press()
{
    if (!Waiting() || Result_.WaitingFor != TWaitKind::Next)
        return;
    Setup_.Presses = *Setup_.Presses + 1;
    Replay();
}

void TPlaySession::Choose(int option)
{
    if (!Waiting() || Result_.WaitingFor != TWaitKind::Menu)
        return;
    Setup_.Choices.push_back(option);
    Replay();
}

void TPlaySession::Type(std::string text)
{
    if (!Waiting() || Result_.WaitingFor != TWaitKind::Input)
        return;
    Setup_.Inputs.push_back(std::move(text));
    Replay();
}

void TPlaySession::EditPlayer(const TPlayerState& player)
{
    if (!Waiting())
        return;
    Setup_.Edits.push_back({Result_.Pauses, player});
    Replay();
}

void TPlaySession::RewindTo(int pause)
{
    if (pause < 0 || pause > Result_.Pauses)
        return;
    Setup_ = SetupAtPause(Setup_, Result_, pause);
    Replay();
}

void TPlaySession::Restart(const TProgram& program)
{
    Program_ = &program;
    Replay();
    // A choice beyond the options the changed menu shows no longer applies: wait there instead.
    const auto& events = Result_.Events;
    if (Result_.Outcome != TOutcome::Faulted || events.size() < 2)
        return;
    const TEvent& answer = events[events.size() - 2];
    if (answer.Kind == TEventKind::Choose) {
        Setup_ = SetupAtPause(Setup_, Result_, answer.Pause);
        Replay();
    }
}

} // namespace script
