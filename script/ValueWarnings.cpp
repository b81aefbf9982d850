#include "script/ValueWarnings.h"

#include "script/PlayRules.h"
#include "script/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace script {
namespace {

// The functions of the servers' tables whose value is a string: a `!` or `-` on one of them is
// the same mistake as on a string variable.
constexpr std::array<std::string_view, 14> StringFunctions = {
    "strcharinfo", "strnpcinfo", "getitemname", "getpartyname", "getguildname", "getguildmaster",
    "getcastlename", "gettimestr", "substr", "charat", "strtoupper", "strtolower", "rid2name", "getmapname",
};

bool IsStringValue(const TExpr& e)
{
    switch (e.Kind) {
    case TExprKind::String: return true;
    case TExprKind::Identifier: return !e.Text.empty() && e.Text.back() == '$';
    case TExprKind::Binary: return e.Op == "+" && (IsStringValue(*e.Args[0]) || IsStringValue(*e.Args[1]));
    case TExprKind::Conditional: return IsStringValue(*e.Args[1]) && IsStringValue(*e.Args[2]);
    case TExprKind::Call:
        for (std::string_view name : StringFunctions)
            if (SameLetters(e.Text, name))
                return true;
        return false;
    default: return false;
    }
}

// The escapes the servers' string reader (sv_unescape_c) knows after a backslash.
bool KnownEscape(std::string_view rest)
{
    if (rest.empty())
        return true;
    const char c = rest[0];
    if (c == 'x')
        return rest.size() > 1 && DigitValue(rest[1]) < 16;
    return std::string_view("abtnvfr\\'\"?01234567").find(c) != std::string_view::npos;
}

class TValueChecker {
public:
    TValueChecker(std::string_view text, TTarget target, std::vector<TDiagnostic>& out)
        : Text_(text), Rules_(PlayRulesOf(target)), Server_(TargetName(target)), Out_(out)
    {
    }

    void Statement(const TStmt& s)
    {
        for (const auto& arg : s.Args)
            Expression(*arg, nullptr);
        for (const TExpr* e : {s.Expr.get(), s.Cond.get()})
            if (e)
                Expression(*e, nullptr);
        for (const TStmt* child : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
            if (child)
                Statement(*child);
        for (const auto& child : s.Children)
            Statement(*child);
    }

private:
    void Warn(const TSourceRange& range, std::string message)
    {
        Out_.push_back({TSeverity::Warning, range, std::move(message)});
    }

    void Expression(const TExpr& e, const TExpr* parent)
    {
        switch (e.Kind) {
        case TExprKind::Number: Literal(e, parent); break;
        case TExprKind::String: Escapes(e); break;
        case TExprKind::Unary:
            if (IsStringValue(*e.Args[0]))
                Warn(e.Range, "'" + e.Op + "' on a string: the server stops the script here (op_1: argument is not a number)" +
                                  (e.Op == "!" ? "; compare it with \"\" instead" : ""));
            break;
        case TExprKind::Binary:
            if ((e.Op == "&&" || e.Op == "||") && (IsStringValue(*e.Args[0]) || IsStringValue(*e.Args[1])))
                Warn(e.Range, "'" + e.Op + "' on a string: the server stops the script here (op_2: invalid data); compare it with \"\" instead");
            if (e.Op == "/" || e.Op == "%")
                Division(e);
            break;
        default: break;
        }
        for (const auto& arg : e.Args)
            Expression(*arg, &e);
    }

    // A sign written right before the digits belongs to the number: -2147483648 fits.
    static bool Signed(const TExpr& e, const TExpr* parent)
    {
        return parent && parent->Kind == TExprKind::Unary && parent->Op == "-" &&
               parent->Range.Begin.Offset + 1 == e.Range.Begin.Offset;
    }

    void Literal(const TExpr& e, const TExpr* parent)
    {
        const bool negative = Signed(e, parent);
        const std::int64_t stored = Rules_.Literal(e.Value, negative);
        if (stored == (negative ? -e.Value : e.Value))
            return;
        std::string message = "the number " + std::string(negative ? "-" : "") + e.Text + " does not fit in " + Server_ +
                              "'s 32-bit integers: it is read as " + std::to_string(stored);
        if (Rules_.Literals == TLiteralRule::Capped)
            message += " (parse_simpleexpr: overflow detected)";
        Warn(negative ? parent->Range : e.Range, message);
    }

    void Escapes(const TExpr& e)
    {
        const std::size_t begin = e.Range.Begin.Offset, end = std::min(e.Range.End.Offset, Text_.size());
        bool inside = false;
        for (std::size_t i = begin; i < end; ++i) {
            const char c = Text_[i];
            if (c == '"') {
                inside = !inside;
            } else if (inside && c == '\\') {
                // After a byte above 0x7E it is the second byte of a double-byte character.
                if (i > 0 && static_cast<unsigned char>(Text_[i - 1]) > 0x7E)
                    continue;
                if (!KnownEscape(Text_.substr(i + 1, end - i - 1))) {
                    TSourceRange at = e.Range;
                    at.Begin.Column += static_cast<int>(i - begin);
                    at.Begin.Offset = i;
                    Warn(at, std::string("unknown escape '\\") + Text_[i + 1] + "' in a string: " + Server_ +
                                 "'s parser does not keep it as written (sv_unescape_c: unknown escape sequence); write \\\\ for a backslash");
                }
                ++i;
            }
        }
    }

    void Division(const TExpr& e)
    {
        if (Rules_.IntBits != 32)
            return;
        const std::optional<std::int32_t> left = Constant(*e.Args[0]), right = Constant(*e.Args[1]);
        if (left == INT32_MIN && right == -1)
            Warn(e.Range, "-2147483648 " + e.Op + " -1 overflows " + Server_ +
                              "'s 32-bit integers: the map-server's process dies on this division");
    }

    // A value written with numbers only, as the server computes it in 32 bits.
    static std::optional<std::int32_t> Constant(const TExpr& e)
    {
        if (e.Kind == TExprKind::Number)
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(e.Value));
        if (e.Kind == TExprKind::Unary && e.Op == "-")
            if (const auto v = Constant(*e.Args[0]))
                return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(*v));
        if (e.Kind == TExprKind::Binary && (e.Op == "+" || e.Op == "-" || e.Op == "*")) {
            const auto a = Constant(*e.Args[0]), b = Constant(*e.Args[1]);
            if (!a || !b)
                return std::nullopt;
            const std::int64_t wide = e.Op == "+" ? std::int64_t{*a} + *b : e.Op == "-" ? std::int64_t{*a} - *b : std::int64_t{*a} * *b;
            return static_cast<std::int32_t>(std::clamp<std::int64_t>(wide, INT32_MIN, INT32_MAX));  // op_2num saturates
        }
        return std::nullopt;
    }

    std::string_view Text_;
    const TPlayRules& Rules_;
    std::string Server_;
    std::vector<TDiagnostic>& Out_;
};

} // namespace

std::vector<TDiagnostic> CheckValues(const TScriptFile& file, std::string_view text, TTarget target,
                                     TStatementFindings* kept)
{
    std::vector<TDiagnostic> out;
    TValueChecker checker(text, target, out);
    for (const TTopLevel& entry : file.Entries) {
        if (!entry.Body)
            continue;
        if (!kept) {
            checker.Statement(*entry.Body);
            continue;
        }
        // Each statement's warnings depend on nothing but its own text.
        kept->CheckEach(*entry.Body, out, [&checker](const TStmt& s) {
            checker.Statement(s);
            return true;
        });
    }
    return out;
}

} // namespace script
