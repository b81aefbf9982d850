#pragma once
// The interpreter's fuzz check, shared with the regression test that replays the corpus: the
// input is a script file (or, without an NPC header, the body of one NPC) played with a fixed set
// of answers. The play must end in one of its three outcomes with the event that says so, stay
// within its step budget, give the same events when played again, and write valid UTF-8.

#include "OracleSupport.h"

#include "script/FileReader.h"
#include "script/Interpreter.h"
#include "script/Transcript.h"

#include <string>
#include <string_view>

namespace parsercheck {

inline bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2)
                return false;
        i += length;
    }
    return true;
}

inline TProblems CheckPlay(std::string_view bytes)
{
    using namespace script;
    TProblems problems;
    const bool wholeFile = bytes.find("\tscript\t") != std::string_view::npos;
    const std::string text = wholeFile ? std::string(bytes)
                                       : "-\tscript\tFuzz\t-1,{\n" + std::string(bytes) + "\n}\n";
    const TScriptFile file = ReadScriptFile(text);
    const TProgram program(file);
    TPlaySetup setup;
    setup.Seed = static_cast<std::uint32_t>(bytes.size());
    setup.Choices = {1, 2, 1, 3, 2, 0};
    setup.Inputs = {"7", "-3", "text"};
    setup.StepBudget = 20000;
    setup.ByteBudget = 1 << 20;
    const TRunResult run = Play(program, "", setup, nullptr);
    if (run.Events.empty()) {
        problems.push_back("no event at all");
        return problems;
    }
    const TEventKind last = run.Events.back().Kind;
    const bool lastFits = run.Outcome == TOutcome::Ended     ? last == TEventKind::End
                          : run.Outcome == TOutcome::Waiting ? last == TEventKind::Waiting
                                                             : last == TEventKind::Fault;
    if (!lastFits)
        problems.push_back("the last event does not match the outcome: " + TranscriptLine(run.Events.back()));
    if (run.Steps > setup.StepBudget + 1)
        problems.push_back("ran " + std::to_string(run.Steps) + " steps, beyond the budget");
    const std::string json = JsonLines(run);
    if (!IsUtf8(json))
        problems.push_back("the JSON lines are not UTF-8: " + Shown(json));
    if (JsonLines(Play(program, "", setup, nullptr)) != json)
        problems.push_back("a second play gave other events");
    return problems;
}

} // namespace parsercheck
