#pragma once
// The script reader's promises, checked on any bytes: it never fails, every node's range lies in
// the text with its line and column matching its byte offset, a statement's parts lie inside the
// statement, for the grammar of every target server, and the checker reads each tree without
// failing, on its own and as a file of a load.

#include "OracleSupport.h"

#include "script/Checker.h"
#include "script/FileReader.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace parsercheck {

class TRangeChecks {
public:
    explicit TRangeChecks(std::string_view text) : Text_(text)
    {
        LineStarts_.push_back(0);
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n')
                LineStarts_.push_back(i + 1);
    }

    void Position(const script::TSourcePos& pos, const char* what)
    {
        if (pos.Offset > Text_.size()) {
            Problems.push_back(std::string(what) + ": offset " + std::to_string(pos.Offset) + " beyond the text");
            return;
        }
        const auto after = std::upper_bound(LineStarts_.begin(), LineStarts_.end(), pos.Offset);
        const int line = static_cast<int>(after - LineStarts_.begin());
        const int column = static_cast<int>(pos.Offset - LineStarts_[line - 1]) + 1;
        if (line != pos.Line || column != pos.Column)
            Problems.push_back(std::string(what) + ": offset " + std::to_string(pos.Offset) + " is " + std::to_string(line) +
                               ":" + std::to_string(column) + ", not " + std::to_string(pos.Line) + ":" +
                               std::to_string(pos.Column));
    }

    void Range(const script::TSourceRange& range, const char* what)
    {
        Position(range.Begin, what);
        Position(range.End, what);
        if (range.Begin.Offset > range.End.Offset)
            Problems.push_back(std::string(what) + ": range ends before it begins");
    }

    void Inside(const script::TSourceRange& inner, const script::TSourceRange& outer, const char* what)
    {
        if (inner.Begin.Offset < outer.Begin.Offset || inner.End.Offset > outer.End.Offset)
            Problems.push_back(std::string(what) + ": a part lies outside its statement");
    }

    void Expr(const script::TExpr& e)
    {
        Range(e.Range, "expression");
        for (const auto& arg : e.Args)
            Expr(*arg);
    }

    void Stmt(const script::TStmt& s)
    {
        Range(s.Range, "statement");
        for (const auto* part : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
            if (part) {
                Inside(part->Range, s.Range, "statement");
                Stmt(*part);
            }
        for (const auto& child : s.Children) {
            Inside(child->Range, s.Range, "block");
            Stmt(*child);
        }
        for (const auto* e : {s.Cond.get(), s.Expr.get()})
            if (e) {
                Inside(e->Range, s.Range, "condition");
                Expr(*e);
            }
        for (const auto& arg : s.Args) {
            Inside(arg->Range, s.Range, "argument");
            Expr(*arg);
        }
    }

    TProblems Problems;

private:
    std::string_view Text_;
    std::vector<std::size_t> LineStarts_;
};

// Each server's grammar reads the bytes into a tree of its own; each is checked, and checked as
// a file of a load (its own names scanned first), as npc-lint checks several files.
inline TProblems CheckScriptReader(std::string_view text)
{
    TRangeChecks checks(text);
    for (const script::TTarget target : {script::TTarget::EAthena, script::TTarget::RAthena, script::TTarget::Hercules}) {
        const script::TScriptFile file = script::ReadScriptFile(text, target);
        for (const script::TTopLevel& entry : file.Entries) {
            checks.Range(entry.Range, "entry");
            for (const script::TField& field : entry.Fields)
                checks.Range(field.Range, "field");
            if (entry.Body) {
                checks.Inside(entry.Body->Range, entry.Range, "body");
                checks.Stmt(*entry.Body);
            }
        }
        for (const script::TComment& comment : file.Comments)
            checks.Range(comment.Range, "comment");
        for (const script::TDiagnostic& d : file.Diagnostics)
            checks.Range(d.Range, "diagnostic");
        script::TLoadState load(target);
        load.Scan(text, "fuzzed");
        load.Begin("fuzzed");
        for (script::TLoadState* state : {static_cast<script::TLoadState*>(nullptr), &load})
            for (const script::TDiagnostic& d : script::CheckScriptFile(file, text, script::TCheckOptions{target, nullptr, state}))
                checks.Range(d.Range, "finding");
    }
    for (std::string& problem : checks.Problems)
        problem += " in \"" + Shown(text.substr(0, 200)) + "\"";
    return checks.Problems;
}

} // namespace parsercheck
