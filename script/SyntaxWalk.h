#pragma once
// A walk over a script body's syntax tree, for whatever looks at or moves every node of it.

#include "script/SyntaxTree.h"

#include <type_traits>

namespace script {

// Calls seeExpr on expr and every expression within it, parents first. TExpression is TExpr or
// const TExpr.
template <class TExpression, class TSeeExpr>
void WalkExpr(TExpression* expr, const TSeeExpr& seeExpr)
{
    if (!expr)
        return;
    seeExpr(*expr);
    for (const auto& arg : expr->Args)
        WalkExpr(static_cast<TExpression*>(arg.get()), seeExpr);
}

// Calls seeStmt on every statement of a body and seeExpr on every expression, parents first.
// TStatement is TStmt or const TStmt.
template <class TStatement, class TSeeStmt, class TSeeExpr>
void Walk(TStatement* stmt, const TSeeStmt& seeStmt, const TSeeExpr& seeExpr)
{
    using TExpression = std::conditional_t<std::is_const_v<TStatement>, const TExpr, TExpr>;
    if (!stmt)
        return;
    seeStmt(*stmt);
    for (const auto& arg : stmt->Args)
        WalkExpr(static_cast<TExpression*>(arg.get()), seeExpr);
    WalkExpr(static_cast<TExpression*>(stmt->Expr.get()), seeExpr);
    WalkExpr(static_cast<TExpression*>(stmt->Cond.get()), seeExpr);
    for (TStatement* inner : {stmt->Init.get(), stmt->Step.get(), stmt->Then.get(), stmt->Else.get()})
        Walk(inner, seeStmt, seeExpr);
    for (const auto& child : stmt->Children)
        Walk(static_cast<TStatement*>(child.get()), seeStmt, seeExpr);
}

} // namespace script
