#pragma once
// The statement and expression parser of script bodies. It follows the server's own parser: the
// same statement forms, the same operator ranks (eAthena, weakest first: ?:, ||, &&, comparisons,
// ^, |, &, shifts, + -, * / %, unary; rAthena and Hercules rank & ^ | and the comparisons as C
// does), and it stops at the first error as the server does for one NPC.

#include "script/Lexer.h"
#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <memory>
#include <optional>
#include <string_view>

namespace script {

struct TBodyResult {
    std::unique_ptr<TStmt> Body;          // a Block; null when an error stopped the reading
    std::optional<TDiagnostic> Error;
    std::vector<TDiagnostic> Warnings;    // what loads but is read otherwise than it looks
    // After an error: the statements read whole before it, inner blocks' first, out of their
    // loops and switches.
    std::vector<std::unique_ptr<TStmt>> ReadBeforeError;
};

// Reads `{ ... }` starting at `start` (which must be at the `{`) and ending before `limit`.
TBodyResult ParseBlock(std::string_view text, TSourcePos start, std::size_t limit,
                       std::vector<TComment>* comments, TTarget target = TTarget::EAthena);

// Reads statements without surrounding braces (hand-written code, a snippet).
TBodyResult ParseStatements(std::string_view text, std::vector<TComment>* comments = nullptr,
                            TTarget target = TTarget::EAthena);

// The same for the stretch of text from start up to limit (statements of a body read again).
TBodyResult ParseStatements(std::string_view text, TSourcePos start, std::size_t limit,
                            std::vector<TComment>* comments, TTarget target);

// Reads one expression (all of `text`).
std::unique_ptr<TExpr> ParseExpression(std::string_view text, std::optional<TDiagnostic>& error,
                                       TTarget target = TTarget::EAthena);

} // namespace script
