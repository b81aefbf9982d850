#pragma once
// The style an author wrote an NPC in, read from the NPC's own text, and the editor's lines
// rewritten in it. An imported NPC's edited tasks are written this way, so that a new line reads
// like the lines around it; a project made in the editor is never restyled.

#include "script/ServerRules.h"

#include <string>
#include <vector>

// Each field defaults to the editor's own form.
struct TScriptStyle {
    std::string IndentUnit = "\t";
    bool SpaceAfterComma = true;       // `getitem 501, 1;` rather than `getitem 501,1;`
    bool SpaceAroundOperators = true;  // `.@x + 1` rather than `.@x+1`
    bool SpaceBeforeParen = true;      // `if (` rather than `if(` (also while, for, switch)
    bool SpaceBeforeBrace = true;      // `) {` rather than `){`
    bool BraceOnOwnLine = false;       // `{` on a line of its own below `if (...)`
    bool CallParentheses = false;      // `mes("Hi");` rather than `mes "Hi";`
    bool AssignOperator = false;       // `.@x = 1;` rather than `set .@x, 1;`

    bool operator==(const TScriptStyle&) const = default;
};

// Reads the style of a text by majority: each place where the author chose one form or the other
// is a vote; a choice the text never makes keeps the fallback's form. Comments and strings do not
// vote.
class TStyleDetector {
public:
    explicit TStyleDetector(script::TTarget target) : Target_(target) {}

    // Adds the votes of lines (one text: a statement may run over several of them).
    void Read(const std::vector<std::string>& lines);
    TScriptStyle Style(const TScriptStyle& fallback = {}) const;

private:
    struct TVote {
        int Yes = 0;
        int No = 0;
        bool Decide(bool fallback) const { return Yes == No ? fallback : Yes > No; }
    };

    script::TTarget Target_;
    std::vector<std::string> Lines_;  // for the indent unit
    TVote Comma_, Operators_, Paren_, BraceGap_, OwnLineBrace_, Call_, Assign_;
};

// The indent unit of a script's lines: a tab when a line is indented with one, else the smallest
// run of spaces an indented line begins with; a tab when no line is indented.
std::string DetectIndentUnit(const std::vector<std::string>& lines);

// One line the editor wrote (without its indent) in style: one line, or more where the style puts
// a brace on a line of its own. A line the rewrite could change in meaning (a comment in it, a
// token that would read otherwise) is given back as it is.
std::vector<std::string> RestyleLine(const std::string& text, const TScriptStyle& style, script::TTarget target);
