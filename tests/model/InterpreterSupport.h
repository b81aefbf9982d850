#pragma once
// What the interpreter's table tests share: a small item database, a script body played as an
// NPC of a file, and the events as the transcript shows them.

#include "script/FileReader.h"
#include "script/Interpreter.h"
#include "script/Transcript.h"

#include <gtest/gtest.h>

#include <string>

namespace interpretertest {

// Red Potion and a heavy Anvil, a sword and a shirt (neither stacks), a shadow gear (only rAthena's
// does not stack), and names shared to show which item a name finds; nothing else exists.
inline const script::TItemTable& TestItems()
{
    static const script::TItemTable items({{501, "Red_Potion", 70},
                                           {986, "Anvil", 5000},
                                           {1101, "Sword", 500, "Sword", 4},
                                           {2301, "Cotton Shirt", 10, "Cotton_Shirt", 5},
                                           {24000, "Shadow Armor", 10, "S_Armor", 12},
                                           {600, "Shared", 1, "X_Card", 6},
                                           {601, "Shared", 1, "Y_Card", 6},
                                           {602, "Crown", 1, "Zed", 3},
                                           {603, "Jewel", 1, "Crown", 3}});
    return items;
}

// The body goes into an NPC on line 2, read by the setup's server; two functions of the file follow
// it (Remember keeps its argument in its own `.v` and returns that variable).
inline script::TRunResult PlayBody(const std::string& body, const script::TPlaySetup& setup)
{
    const std::string text = "// test\nprontera,150,150,4\tscript\tTester\t100,{\n" + body +
                             "\n}\nfunction\tscript\tDouble\t{\n\treturn getarg(0) * 2;\n}\n"
                             "function\tscript\tRemember\t{\n\tset .v, getarg(0);\n\treturn .v;\n}\n";
    const script::TScriptFile file = script::ReadScriptFile(text, setup.Target);
    EXPECT_TRUE(file.Diagnostics.empty()) << file.Diagnostics.front().Message;
    const script::TProgram program(file);
    return script::Play(program, "Tester", setup, &TestItems());
}

inline std::string Events(const script::TRunResult& result)
{
    std::string out;
    for (const script::TEvent& e : result.Events)
        out += (out.empty() ? "" : "|") + script::TranscriptLine(e);
    return out;
}

// `taken` places of the inventory hold one item each, with room for any weight.
inline script::TPlayerState Places(std::int32_t taken)
{
    script::TPlayerState p;
    p.MaxWeight = 1'000'000;
    for (std::int32_t id = 1; id <= taken; ++id)
        p.Inventory[id] = 1;
    return p;
}

} // namespace interpretertest
