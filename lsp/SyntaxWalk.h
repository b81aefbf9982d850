#pragma once
// A walk over a script body's syntax tree, for the features that look for names in it.

#include "script/SyntaxTree.h"

namespace lsp {

// Calls see on every statement and expression of a body, parents first.
template <class TSeeStmt, class TSeeExpr>
void Walk(const script::TStmt* stmt, const TSeeStmt& seeStmt, const TSeeExpr& seeExpr);

template <class TSeeExpr>
void WalkExpr(const script::TExpr* expr, const TSeeExpr& seeExpr)
{
    if (!expr)
        return;
    seeExpr(*expr);
    for (const auto& arg : expr->Args)
        WalkExpr(arg.get(), seeExpr);
}

template <class TSeeStmt, class TSeeExpr>
void Walk(const script::TStmt* stmt, const TSeeStmt& seeStmt, const TSeeExpr& seeExpr)
{
    if (!stmt)
        return;
    seeStmt(*stmt);
    for (const auto& arg : stmt->Args)
        WalkExpr(arg.get(), seeExpr);
    WalkExpr(stmt->Expr.get(), seeExpr);
    WalkExpr(stmt->Cond.get(), seeExpr);
    for (const script::TStmt* inner : {stmt->Init.get(), stmt->Step.get(), stmt->Then.get(), stmt->Else.get()})
        Walk(inner, seeStmt, seeExpr);
    for (const auto& child : stmt->Children)
        Walk(child.get(), seeStmt, seeExpr);
}

} // namespace lsp
