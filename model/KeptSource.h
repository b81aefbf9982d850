#pragma once
// The source an imported task came from, kept so that writing the task unchanged gives the
// author's bytes back, and writing it changed touches only its own lines, in the NPC's style.
// A task is recognised as unchanged by what the script writer writes for it: the lines it wrote
// at import are kept beside the source lines; while the writer still writes those, at any depth,
// the source lines stand in their place, moved by as many levels as the writer moved its own.

#include "script/ServerRules.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFileReader;
class TFileWriter;
class TTask;

// One stretch of the script: a task's head or end, or a part of the NPC's frame.
struct TKeptLines {
    // The source lines as written, without line ends: first the comment and blank lines that
    // stood before the code (Lead of them), then the code's own lines.
    std::vector<std::string> Lines;
    // What the script writer wrote for it at import, each line with the writer's tabs (compared
    // without them; a project saved before they were kept holds the lines without).
    std::vector<std::string> Written;
    std::int32_t Lead = 0;
    // The code shares a line with the stretches that follow it: this one holds the source lines of
    // all of them, which stand only while every one of them is unchanged.
    std::int32_t Joined = 0;
    // The code shares a line with the stretch before: its source lines are held there.
    bool Follows = false;

    bool operator==(const TKeptLines&) const = default;
};

using TKeptPtr = std::shared_ptr<const TKeptLines>;

// The NPC's frame as its author wrote it, and the indent unit of its body.
struct TKeptFrame {
    TKeptPtr Header;   // the comment block before the NPC line
    TKeptPtr NpcLine;  // the NPC line up to its opening brace
    TKeptPtr Close;    // the closing brace, with the comments before it
    std::string IndentUnit = "\t";

    bool Empty() const { return !Header && !NpcLine && !Close; }
    bool operator==(const TKeptFrame& other) const;
};

// What a stretch of written lines is.
enum class TStretchKind : std::uint8_t { Frame, Head, End, Exit };

// A stretch of written lines, as the writer wrote it: Count lines from First.
struct TWrittenStretch {
    TStretchKind Kind = TStretchKind::Frame;
    const TTask* Task = nullptr;  // nullptr: the frame
    const TKeptLines* Kept = nullptr;
    std::size_t First = 0;
    std::size_t Count = 0;
};

// Puts the kept source in place of each stretch the writer still writes as it did at import, and
// writes the others with indentUnit where the writer put a tab, at the depth of the kept lines
// around them, in the style of the kept lines as target's reader reads them (model/ScriptStyle.h).
// lines and lineTasks (one per line) are rewritten together.
void ApplyKeptSource(const std::vector<TWrittenStretch>& stretches, const std::string& indentUnit,
                     script::TTarget target, std::vector<std::string>& lines, std::vector<const TTask*>& lineTasks);

// The record of a kept stretch: a byte saying whether there is one, then its fields.
void SaveKept(TFileWriter& file, const TKeptPtr& kept);
TKeptPtr LoadKept(TFileReader& file);
void SaveKeptFrame(TFileWriter& file, const TKeptFrame& frame);
TKeptFrame LoadKeptFrame(TFileReader& file);
