#pragma once
// The syntax tree of an eAthena script file, as the reader builds it.
//
// How to walk it
// --------------
// TScriptFile is the whole file: its top-level lines in file order (`Entries`), every comment
// (`Comments`, in file order) and the diagnostics found while reading (`Diagnostics`).
//
// Each TTopLevel is one line the server's loader knows (an NPC with a script, a floating `-`
// NPC, a `function script`, a shop, a warp, a duplicate, a monster spawn, a mapflag). Its
// `Fields` are the tab-separated header fields as written; the decoded values (map, position,
// name, sprite) are beside them. Entries with a script body (`Script`, `Function`) own `Body`:
// a TStmt of kind Block whose `Children` are the statements in order. A body that could not be
// read (a syntax error) is null, and the error is in the file's diagnostics.
//
// Statements (TStmt) are a tagged node: `Kind` says which fields are used.
//   Block      Children = statements between `{` and `}`
//   Label      Name = label name (`L_Start:`); a label is a statement of its own, in place
//   Command    Name = command or function name, Args = its arguments; Parenthesized when written
//              `name(args)`. goto, callsub, callfunc, menu, select, return, end, close are
//              commands too; a label argument (`goto L_X`) is an Identifier expression, a `-`
//              menu target is a NextLine expression.
//   Assign     Expr = an assignment or ++/-- expression used as a statement (`.@i += 1;`)
//   If         Cond, Then, Else (Else may be null)
//   While      Cond, Then = body
//   Do         Then = body, Cond
//   For        Init, Cond, Step, Then = body (Init, Step and Cond may be null)
//   Switch     Cond = value switched on, Then = its Block (containing Case / Default statements)
//   Case       Cond = the case value; the statements after it follow in the enclosing block
//   Default    -
//   Break, Continue, Empty (a lone `;`)
//   Function   Name; Then = its Block, or null for a declaration `function Name;`
//
// Expressions (TExpr) likewise: Number (Value), String (Text decoded from its escapes),
// Identifier (Text = the name with every prefix and postfix, e.g. `.@name$`; Args[0] = the
// index when written `name[i]`), NextLine (`-` as a menu target), Unary (Op, Args[0]), Binary
// (Op, Args[0], Args[1]), Conditional (Args = condition, then, else), Assign (Op = "=", "+=",
// ...; Args[0] target, Args[1] value), IncDec (Op = "++" or "--", Prefix, Args[0]), Call (Text =
// function name, Args). Parentheses leave no node; the grouping is in the tree's shape, by the
// operator ranks of the target server the file was read for (eAthena unless told otherwise).
//
// Every node has its exact source range: line and column (both from 1, the column counting
// bytes) and byte offsets into the file as read, end exclusive. Text stays bytes as stored
// (Latin-1 and all); nothing is converted.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace script {

struct TSourcePos {
    int Line = 1;
    int Column = 1;
    std::size_t Offset = 0;
    friend bool operator==(const TSourcePos&, const TSourcePos&) = default;
};

struct TSourceRange {
    TSourcePos Begin;
    TSourcePos End;
    friend bool operator==(const TSourceRange&, const TSourceRange&) = default;
};

enum class TSeverity { Error, Warning };

struct TDiagnostic {
    TSeverity Severity = TSeverity::Error;
    TSourceRange Range;
    std::string Message;
};

enum class TExprKind { Number, String, Identifier, NextLine, Unary, Binary, Conditional, Assign, IncDec, Call };

struct TExpr {
    TExprKind Kind = TExprKind::Number;
    TSourceRange Range;
    std::string Text;  // String: decoded value; Identifier: name; Call: function name
    std::string Op;    // Unary, Binary, Assign, IncDec
    std::int64_t Value = 0;  // Number
    bool Prefix = false;     // IncDec: `++x` rather than `x++`
    std::vector<std::unique_ptr<TExpr>> Args;

    TExpr() = default;
    TExpr(TExprKind kind, TSourceRange range) : Kind(kind), Range(range) {}
};

enum class TStmtKind {
    Block, Label, Command, Assign, If, While, Do, For, Switch, Case, Default, Break, Continue,
    Empty, Function
};

struct TStmt {
    TStmtKind Kind = TStmtKind::Empty;
    TSourceRange Range;
    std::string Name;             // Label, Command, Function
    TSourceRange NameRange;       // where Name (or a statement's keyword) is written
    bool Parenthesized = false;   // Command written `name(args)`
    std::vector<std::unique_ptr<TExpr>> Args;  // Command
    std::unique_ptr<TExpr> Expr;  // Assign
    std::unique_ptr<TExpr> Cond;  // If, While, Do, For, Switch, Case
    std::unique_ptr<TStmt> Init, Step;  // For
    std::unique_ptr<TStmt> Then, Else;  // If; body of loops, Switch and Function
    std::vector<std::unique_ptr<TStmt>> Children;  // Block

    TStmt() = default;
    TStmt(TStmtKind kind, TSourceRange range) : Kind(kind), Range(range) {}
};

enum class TTopKind { Script, Function, Shop, Warp, Duplicate, Monster, Mapflag };

// One header field as written between tabs.
struct TField {
    std::string Text;
    TSourceRange Range;
};

struct TTopLevel {
    TTopKind Kind = TTopKind::Script;
    TSourceRange Range;              // the whole entry, header and body
    std::vector<TField> Fields;      // w1..w4 as written (w4 without the script body)
    std::string Map;                 // empty for floating NPCs and functions
    int X = 0, Y = 0, Dir = 0;
    bool Floating = false;           // `-` in place of the map
    std::string Name;                // NPC or function name as written (with any `::` part)
    std::string Sprite;              // as written (a number or a constant)
    std::string DuplicateOf;         // Duplicate: the NPC named in `duplicate(...)`
    std::unique_ptr<TStmt> Body;     // Script, Function: a Block; null when unreadable
    // When unreadable: the statements read whole before the error (see TBodyResult).
    std::vector<std::unique_ptr<TStmt>> ReadBeforeError;
};

struct TComment {
    TSourceRange Range;
    std::string Text;  // with its `//` or `/* */`
};

struct TScriptFile {
    std::vector<TTopLevel> Entries;
    std::vector<TComment> Comments;
    std::vector<TDiagnostic> Diagnostics;
};

} // namespace script
