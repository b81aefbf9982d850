#include "script/Checker.h"

#include "script/FileReader.h"
#include "script/FlowWarnings.h"
#include "script/Text.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace script {
namespace {

class TBodyChecker {
public:
    TBodyChecker(const TServerRules& rules, std::vector<TDiagnostic>& out) : Rules_(rules), Out_(out) {}

    void Statement(const TStmt& s);

private:
    enum class TScope { Loop, Switch };

    void Error(const TSourceRange& range, std::string message)
    {
        Out_.push_back({TSeverity::Error, range, std::move(message)});
    }
    std::string Key(const std::string& name) const { return Rules_.CaseSensitive() ? name : LowerCase(name); }
    void Label(const TStmt& s);
    void Function(const TStmt& s);
    void Command(const TStmt& s);
    void Assignment(const TStmt& s);
    void Nested(const TStmt* s, std::optional<TScope> scope);
    void Expression(const TExpr& e);
    bool KnownCallable(const std::string& name, const TSourceRange& range, bool statement);
    void Arguments(const TCommandInfo& info, const std::vector<std::unique_ptr<TExpr>>& args,
                   TSourcePos afterName);
    bool Inside(TScope scope) const { return std::find(Scopes_.begin(), Scopes_.end(), scope) != Scopes_.end(); }

    const TServerRules& Rules_;
    std::vector<TDiagnostic>& Out_;
    std::unordered_map<std::string, TSourceRange> Labels_;
    std::unordered_set<std::string> Functions_;
    std::vector<TScope> Scopes_;
};

void TBodyChecker::Statement(const TStmt& s)
{
    switch (s.Kind) {
    case TStmtKind::Block:
        for (const auto& child : s.Children)
            Statement(*child);
        break;
    case TStmtKind::Label: Label(s); break;
    case TStmtKind::Function: Function(s); break;
    case TStmtKind::Command: Command(s); break;
    case TStmtKind::Assign: Assignment(s); break;
    case TStmtKind::If:
        Expression(*s.Cond);
        Nested(s.Then.get(), std::nullopt);
        Nested(s.Else.get(), std::nullopt);
        break;
    case TStmtKind::While:
    case TStmtKind::Do:
        Expression(*s.Cond);
        Nested(s.Then.get(), TScope::Loop);
        break;
    case TStmtKind::For:
        Nested(s.Init.get(), std::nullopt);
        if (s.Cond)
            Expression(*s.Cond);
        Nested(s.Step.get(), std::nullopt);
        Nested(s.Then.get(), TScope::Loop);
        break;
    case TStmtKind::Switch:
        Expression(*s.Cond);
        Nested(s.Then.get(), TScope::Switch);
        break;
    case TStmtKind::Case:
    case TStmtKind::Default:
        if (Scopes_.empty() || Scopes_.back() != TScope::Switch)
            Error(s.Range, std::string(s.Kind == TStmtKind::Case ? "'case'" : "'default'") + " outside a switch");
        else if (s.Cond && s.Cond->Kind == TExprKind::Identifier && !Rules_.IsConstant(s.Cond->Text))
            Error(s.Cond->Range, "a case value must be a number or a constant, not '" + s.Cond->Text + "'");
        break;
    case TStmtKind::Break:
        if (Scopes_.empty())
            Error(s.Range, "'break' outside a loop or switch");
        break;
    case TStmtKind::Continue:
        if (!Inside(TScope::Loop))
            Error(s.Range, "'continue' outside a loop");
        break;
    case TStmtKind::Empty: break;
    }
}

void TBodyChecker::Nested(const TStmt* s, std::optional<TScope> scope)
{
    if (!s)
        return;
    if (scope)
        Scopes_.push_back(*scope);
    Statement(*s);
    if (scope)
        Scopes_.pop_back();
}

void TBodyChecker::Label(const TStmt& s)
{
    if (Rules_.FindCommand(s.Name))
        return Error(s.NameRange, "the label '" + s.Name + "' has the name of a command");
    if (Rules_.IsConstant(s.Name))
        return Error(s.NameRange, "the label '" + s.Name + "' has the name of a constant or parameter");
    if (!Labels_.emplace(Key(s.Name), s.NameRange).second)
        return Error(s.NameRange, "duplicate label '" + s.Name + "'");
    if (s.Name.size() > MaxNameLength)
        Error(s.NameRange, "the label '" + s.Name + "' is longer than 23 bytes");
}

// A function body is a label of its own, callable by its name from where it is declared on.
void TBodyChecker::Function(const TStmt& s)
{
    Functions_.insert(Key(s.Name));
    if (!s.Then)
        return;
    if (Rules_.FindCommand(s.Name))
        return Error(s.NameRange, "the function '" + s.Name + "' has the name of a command");
    if (!Labels_.emplace(Key(s.Name), s.NameRange).second)
        return Error(s.NameRange, "duplicate label '" + s.Name + "'");
    if (s.Name.size() > MaxNameLength)
        Error(s.NameRange, "the function name '" + s.Name + "' is longer than 23 bytes");
    std::vector<TScope> outer;
    outer.swap(Scopes_);
    Statement(*s.Then);
    Scopes_.swap(outer);
}

bool TBodyChecker::KnownCallable(const std::string& name, const TSourceRange& range, bool statement)
{
    if (Functions_.count(Key(name)))
        return true;
    std::string message = statement ? "unknown command '" + name + "'" : "unknown function '" + name + "'";
    if (Rules_.CaseSensitive())
        if (const TCommandInfo* meant = Rules_.FindCommandIgnoringCase(name))
            message += " (" + std::string(TargetName(Rules_.Target())) + " names are case-sensitive: did you mean `" +
                       meant->Name + "`?)";
    Error(range, message);
    return false;
}

void TBodyChecker::Command(const TStmt& s)
{
    if (const TCommandInfo* info = Rules_.FindCommand(s.Name))
        Arguments(*info, s.Args, s.NameRange.End);
    else if (!KnownCallable(s.Name, s.NameRange, true))
        return;
    for (const auto& arg : s.Args)
        Expression(*arg);
}

void TBodyChecker::Arguments(const TCommandInfo& info, const std::vector<std::unique_ptr<TExpr>>& args,
                             TSourcePos afterName)
{
    const int count = static_cast<int>(args.size());
    if (count < info.Mandatory) {
        // Where the server expected the next comma.
        const TSourcePos at = args.empty() ? afterName : args.back()->Range.End;
        Error({at, at}, "'" + info.Name + "' needs " + std::to_string(info.Mandatory) + " argument(s), " +
                            std::to_string(count) + " given");
    } else if (info.Maximum >= 0 && count > info.Maximum) {
        Error(args[info.Maximum]->Range, "too many arguments: '" + info.Name + "' takes at most " +
                                             std::to_string(info.Maximum));
    }
}

void TBodyChecker::Assignment(const TStmt& s)
{
    if (!Rules_.AcceptsAssignment())
        Error(s.Range, std::string(TargetName(Rules_.Target())) +
                           " refuses an assignment without 'set': write set <variable>, <value>;");
    for (const auto& operand : s.Expr->Args)
        Expression(*operand);
}

void TBodyChecker::Expression(const TExpr& e)
{
    if (e.Kind == TExprKind::Call) {
        if (const TCommandInfo* info = Rules_.FindCommand(e.Text))
            Arguments(*info, e.Args, e.Range.Begin);
        else if (!KnownCallable(e.Text, e.Range, false))
            return;
    } else if ((e.Kind == TExprKind::Assign || e.Kind == TExprKind::IncDec) && !Rules_.AcceptsAssignment()) {
        Error(e.Range, std::string(TargetName(Rules_.Target())) + " refuses assignments inside expressions");
    }
    for (const auto& arg : e.Args)
        Expression(*arg);
}

class TFileChecker {
public:
    TFileChecker(std::string_view text, const TCheckOptions& options)
        : Text_(text), Rules_(TServerRules::For(options.Target)),
          Maps_(options.Maps ? *options.Maps : BuiltInMaps(options.Target))
    {
    }

    std::vector<TDiagnostic> Check(const TScriptFile& file);

private:
    bool MapKnown(const TTopLevel& entry);
    void Error(const TSourceRange& range, std::string message)
    {
        Out_.push_back({TSeverity::Error, range, std::move(message)});
    }

    std::string_view Text_;
    const TServerRules& Rules_;
    const std::unordered_set<std::string>& Maps_;
    std::vector<TDiagnostic> Out_;
};

bool TFileChecker::MapKnown(const TTopLevel& entry)
{
    if (entry.Kind == TTopKind::Function || entry.Floating || Maps_.count(MapKey(entry.Map)))
        return true;
    Error(entry.Fields[0].Range, "unknown map '" + entry.Map + "'");
    return false;
}

std::vector<TDiagnostic> TFileChecker::Check(const TScriptFile& file)
{
    if (Rules_.RefusesByteOrderMark() && Text_.substr(0, 3) == "\xEF\xBB\xBF") {
        Error({}, std::string(TargetName(Rules_.Target())) + " refuses a file that starts with a UTF-8 byte-order mark");
        return std::move(Out_);  // and reads nothing of it
    }
    Out_.insert(Out_.end(), file.Diagnostics.begin(), file.Diagnostics.end());
    for (const TTopLevel& entry : file.Entries) {
        if (!MapKnown(entry)) {
            // The server skips the whole entry, body and all: nothing inside it is reported.
            const TDiagnostic mapError = Out_.back();
            std::erase_if(Out_, [&](const TDiagnostic& d) {
                return d.Range.Begin.Offset >= entry.Range.Begin.Offset && d.Range.Begin.Offset < entry.Range.End.Offset;
            });
            Out_.push_back(mapError);
            continue;
        }
        if (entry.Kind == TTopKind::Warp) {
            const std::string& w4 = entry.Fields[3].Text;
            const std::size_t first = w4.find(','), second = w4.find(',', first + 1);
            if (first != std::string::npos && second != std::string::npos) {
                const std::string to = w4.substr(second + 1, w4.find(',', second + 1) - second - 1);
                if (!Maps_.count(MapKey(to)))
                    Error(entry.Fields[3].Range, "unknown destination map '" + to + "'");
            }
        }
        if (entry.Body)
            TBodyChecker(Rules_, Out_).Statement(*entry.Body);
    }
    std::stable_sort(Out_.begin(), Out_.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        return a.Range.Begin.Offset < b.Range.Begin.Offset;
    });
    return std::move(Out_);
}

} // namespace

std::vector<TDiagnostic> CheckScriptFile(const TScriptFile& file, std::string_view text, const TCheckOptions& options)
{
    return TFileChecker(text, options).Check(file);
}

std::vector<TDiagnostic> CheckBody(const TStmt& body, const TCheckOptions& options)
{
    std::vector<TDiagnostic> found;
    TBodyChecker(TServerRules::For(options.Target), found).Statement(body);
    return found;
}

std::vector<TDiagnostic> CheckScriptText(std::string_view text, const TCheckOptions& options)
{
    return CheckScriptFile(ReadScriptFile(text, options.Target), text, options);
}

std::vector<TDiagnostic> CheckScript(std::string_view text, const TCheckOptions& options)
{
    const TScriptFile file = ReadScriptFile(text, options.Target);
    std::vector<TDiagnostic> found = CheckScriptFile(file, text, options);
    std::vector<TDiagnostic> warnings = CheckFlow(file);
    found.insert(found.end(), std::make_move_iterator(warnings.begin()), std::make_move_iterator(warnings.end()));
    std::stable_sort(found.begin(), found.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        const auto key = [](const TDiagnostic& d) {
            return std::tuple(d.Range.Begin.Line, d.Range.Begin.Column, d.Severity != TSeverity::Error);
        };
        return key(a) < key(b);
    });
    return found;
}

} // namespace script
