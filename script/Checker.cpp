#include "script/Checker.h"

#include "script/FileReader.h"
#include "script/FlowWarnings.h"
#include "script/KeptFindings.h"
#include "script/LabelSet.h"
#include "script/LoaderChecks.h"
#include "script/ValueWarnings.h"
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
    TBodyChecker(const TServerRules& rules, std::vector<TDiagnostic>& out, const TLoadState* load = nullptr)
        : Rules_(rules), Out_(out), Load_(load), Labels_(rules.CaseSensitive())
    {
    }
    // For statements taken out of the loops and switches they stood in: what depends on those
    // (break, continue, case) is not checked.
    static TBodyChecker OutOfPlace(const TServerRules& rules, std::vector<TDiagnostic>& out, const TLoadState* load)
    {
        TBodyChecker checker(rules, out, load);
        checker.OutOfPlace_ = true;
        return checker;
    }

    void Statement(const TStmt& s);
    // The statements of an NPC's body, taking the findings kept of those not read again.
    void Statements(const TStmt& body, TStatementFindings& kept);
    // After a whole NPC: a `function F;` never followed by F's body is the server's error, at the
    // NPC's closing brace.
    void Unresolved(const TStmt& body);

private:
    enum class TScope { Loop, Switch };

    void Error(const TSourceRange& range, std::string message)
    {
        Out_.push_back({TSeverity::Error, range, std::move(message)});
    }
    std::string Key(const std::string& name) const { return Rules_.CaseSensitive() ? name : LowerCase(name); }
    TLabelKey LabelKey(const std::string& name) const { return {std::hash<std::string>{}(Key(name)), name}; }
    bool GlobalFunction(const std::string& name, const TSourceRange& range);
    void CalledByName(const std::vector<std::unique_ptr<TExpr>>& args);
    void Label(const TStmt& s);
    std::optional<std::size_t> LabelName(const TStmt& s);
    void LabelInPlace(const TStmt& s, std::size_t hash);
    bool NewLabel(const TStmt& s) { return Labels_.Insert(LabelKey(s.Name)); }
    void Function(const TStmt& s);
    void Command(const TStmt& s);
    void Assignment(const TStmt& s);
    void Nested(const TStmt* s, std::optional<TScope> scope);
    void Case(const TStmt& s);
    void Expression(const TExpr& e);
    bool KnownCallable(const std::string& name, const TSourceRange& range, bool statement, bool parenthesized);
    void Arguments(const TCommandInfo& info, const std::vector<std::unique_ptr<TExpr>>& args,
                   TSourcePos afterName, bool statement);
    bool Inside(TScope scope) const { return std::find(Scopes_.begin(), Scopes_.end(), scope) != Scopes_.end(); }

    const TServerRules& Rules_;
    std::vector<TDiagnostic>& Out_;
    const TLoadState* Load_;
    TLabelSet Labels_;
    std::unordered_set<std::string> Functions_;
    std::vector<TScope> Scopes_;
    std::vector<std::unordered_set<std::string>> CaseValues_;  // of each switch open
    std::vector<const TStmt*> Declared_;  // `function F;`
    bool OutOfPlace_ = false;
    // Set when a finding depends on what other statements define (labels, functions), so that
    // the statement's findings cannot be kept for the next check.
    bool ContextUsed_ = false;
};

void TBodyChecker::Statements(const TStmt& body, TStatementFindings& kept)
{
    using TVerdict = TStatementFindings::TVerdict;
    const auto inPlace = [this](const TStmt& s, std::size_t hash) { LabelInPlace(s, hash); };
    kept.CheckEach(body, Out_, [&](const TStmt& s) {
        if (s.Kind == TStmtKind::Label) {
            const std::optional<std::size_t> hash = LabelName(s);
            if (!hash)
                return TVerdict{TVerdict::Alone};
            inPlace(s, *hash);
            return TVerdict{TVerdict::Named, *hash};
        }
        ContextUsed_ = false;
        Statement(s);
        return TVerdict{ContextUsed_ ? TVerdict::Context : TVerdict::Alone};
    }, inPlace);
}

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
        CaseValues_.emplace_back();
        Nested(s.Then.get(), TScope::Switch);
        CaseValues_.pop_back();
        break;
    case TStmtKind::Case:
    case TStmtKind::Default:
        if (!OutOfPlace_)
            Case(s);
        break;
    case TStmtKind::Break:
        if (Scopes_.empty() && !OutOfPlace_)
            Error(s.Range, "'break' outside a loop or switch");
        break;
    case TStmtKind::Continue:
        if (!Inside(TScope::Loop) && !OutOfPlace_)
            Error(s.Range, "'continue' outside a loop");
        break;
    case TStmtKind::Empty: break;
    }
}

void TBodyChecker::Case(const TStmt& s)
{
    if (Scopes_.empty() || Scopes_.back() != TScope::Switch)
        return Error(s.Range, std::string(s.Kind == TStmtKind::Case ? "'case'" : "'default'") + " outside a switch");
    if (!s.Cond)
        return;
    if (s.Cond->Kind == TExprKind::Identifier && !Rules_.IsConstant(s.Cond->Text))
        return Error(s.Cond->Range, "a case value must be a number or a constant, not '" + s.Cond->Text + "'");
    const std::string value = s.Cond->Kind == TExprKind::Number ? std::to_string(s.Cond->Value) : Key(s.Cond->Text);
    if (!CaseValues_.back().insert(value).second)
        Error(s.Cond->Range, "dup 'case': this switch already has a case " + (s.Cond->Kind == TExprKind::Number ? value : s.Cond->Text));
}

void TBodyChecker::Unresolved(const TStmt& body)
{
    for (const TStmt* declared : Declared_) {
        if (Labels_.Contains(LabelKey(declared->Name)))
            continue;
        const TSourcePos brace{body.Range.End.Line, body.Range.End.Column - 1, body.Range.End.Offset - 1};
        Error({brace, body.Range.End}, "unresolved function references: the function '" + declared->Name +
                                           "' is declared (line " + std::to_string(declared->Range.Begin.Line) +
                                           ") but its body never follows");
        return;
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
    ContextUsed_ = true;
    if (const std::optional<std::size_t> hash = LabelName(s))
        LabelInPlace(s, *hash);
}

// What a label's name alone finds: a command's or a constant's name is refused, and the label
// defines nothing; otherwise the name's hash, for what the labels before it decide.
std::optional<std::size_t> TBodyChecker::LabelName(const TStmt& s)
{
    if (Rules_.FindCommand(s.Name)) {
        Error(s.NameRange, "the label '" + s.Name + "' has the name of a command");
        return std::nullopt;
    }
    if (Rules_.IsConstant(s.Name)) {
        Error(s.NameRange, "the label '" + s.Name + "' has the name of a constant or parameter");
        return std::nullopt;
    }
    return LabelKey(s.Name).Hash;
}

void TBodyChecker::LabelInPlace(const TStmt& s, std::size_t hash)
{
    if (!Labels_.Insert({hash, s.Name}))
        return Error(s.NameRange, "duplicate label '" + s.Name + "'");
    if (s.Name.size() > MaxNameLength)
        Error(s.NameRange, "the label '" + s.Name + "' is longer than 23 bytes");
}

// A function body is a label of its own, callable by its name from where it is declared on.
void TBodyChecker::Function(const TStmt& s)
{
    ContextUsed_ = true;
    Functions_.insert(Key(s.Name));
    if (!s.Then)
        return Declared_.push_back(&s);
    if (Rules_.FindCommand(s.Name))
        return Error(s.NameRange, "the function '" + s.Name + "' has the name of a command");
    if (!NewLabel(s))
        return Error(s.NameRange, "duplicate label '" + s.Name + "'");
    if (s.Name.size() > MaxNameLength)
        Error(s.NameRange, "the function name '" + s.Name + "' is longer than 23 bytes");
    std::vector<TScope> outer;
    outer.swap(Scopes_);
    Statement(*s.Then);
    Scopes_.swap(outer);
}

// A name written as a call, `F_Name(...)`, is a function of some file where the target calls
// functions by name: when none of the files checked defines it, the server may still have it
// from a file loaded before, so that is only a warning, unless the run is the server's whole
// load; a name written as a command is not.
bool TBodyChecker::KnownCallable(const std::string& name, const TSourceRange& range, bool statement, bool parenthesized)
{
    ContextUsed_ = true;
    if (Functions_.count(Key(name)))
        return true;
    if (Load_ && Rules_.Dialect().DirectCalls && (Load_->FunctionLoaded(name) || Load_->FunctionFile(name)))
        return GlobalFunction(name, range);
    const bool caseSlip = Rules_.CaseSensitive() && Rules_.FindCommandIgnoringCase(name);
    if (Load_ && Rules_.Dialect().DirectCalls && parenthesized && !caseSlip) {
        if (Load_->Complete()) {
            Error(range, "calling undeclared function '" + name + "': it is no command, and no file the server loads defines it");
            return false;
        }
        Out_.push_back({TSeverity::Warning, range, "'" + name + "' is no command, and none of the files checked defines a function of that name (the server refuses the call unless a file it loads earlier does)"});
        return true;
    }
    std::string message = statement ? "unknown command '" + name + "'" : "unknown function '" + name + "'";
    if (Rules_.CaseSensitive())
        if (const TCommandInfo* meant = Rules_.FindCommandIgnoringCase(name))
            message += " (" + std::string(TargetName(Rules_.Target())) + " names are case-sensitive: did you mean `" +
                       meant->Name + "`?)";
    Error(range, message);
    return false;
}

// Where the target calls `function script` functions by name (a name some file of the run
// defines): those loaded before are known; one defined later does not exist yet when the server
// reads this call.
bool TBodyChecker::GlobalFunction(const std::string& name, const TSourceRange& range)
{
    if (Load_->FunctionLoaded(name))
        return true;
    const std::string& file = *Load_->FunctionFile(name);
    Error(range, "calling undeclared function '" + name + "': " +
                     (file == Load_->Current() ? "it is defined further down this file"
                                               : "it is defined in " + file + ", which the server loads after this file"));
    return false;
}

// callfunc "Name": looked up when it runs, in whatever the server loaded; a name that none of the
// files of the run defines may come from another file, so it is only a warning.
void TBodyChecker::CalledByName(const std::vector<std::unique_ptr<TExpr>>& args)
{
    if (!Load_ || args.empty() || args[0]->Kind != TExprKind::String)
        return;
    const std::string& name = args[0]->Text;
    if (!Load_->FunctionLoaded(name) && !Load_->FunctionFile(name))
        Out_.push_back({TSeverity::Warning, args[0]->Range,
                        "the function '" + name + "' is defined in none of the files checked (the server may load it from another file)"});
}

void TBodyChecker::Command(const TStmt& s)
{
    if (SameLetters(s.Name, "callfunc"))
        CalledByName(s.Args);
    // The item commands do nothing for an amount below one; the script goes on as if they had.
    const bool items = SameLetters(s.Name, "getitem") || SameLetters(s.Name, "getitem2") || SameLetters(s.Name, "delitem");
    if (items && s.Args.size() > 1 && s.Args[1]->Kind == TExprKind::Number && s.Args[1]->Value < 1)
        Out_.push_back({TSeverity::Warning, s.Args[1]->Range, "amount " + std::to_string(s.Args[1]->Value) + ": '" +
                                                                   s.Name + "' does nothing for an amount below 1"});
    if (const TCommandInfo* info = Rules_.FindCommand(s.Name))
        Arguments(*info, s.Args, s.NameRange.End, !s.Parenthesized);
    else if (!KnownCallable(s.Name, s.NameRange, true, s.Parenthesized))
        return;
    for (const auto& arg : s.Args)
        Expression(*arg);
}

void TBodyChecker::Arguments(const TCommandInfo& info, const std::vector<std::unique_ptr<TExpr>>& args,
                             TSourcePos afterName, bool statement)
{
    std::vector<TDiagnostic> found = CheckArguments(Rules_, info, args, afterName, statement);
    Out_.insert(Out_.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
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
        if (SameLetters(e.Text, "callfunc"))
            CalledByName(e.Args);
        if (const TCommandInfo* info = Rules_.FindCommand(e.Text))
            Arguments(*info, e.Args, e.Range.Begin, false);
        else if (!KnownCallable(e.Text, e.Range, false, true))
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
          Maps_(options.Maps ? *options.Maps : BuiltInMaps(options.Target)), Load_(options.Load),
          Kept_(options.Kept)
    {
    }

    std::vector<TDiagnostic> Check(const TScriptFile& file);

private:
    bool MapKnown(const TTopLevel& entry);
    void DuplicateSource(const TTopLevel& entry);
    void ReadBeforeError(const TTopLevel& entry, const TScriptFile& file);
    void Error(const TSourceRange& range, std::string message)
    {
        Out_.push_back({TSeverity::Error, range, std::move(message)});
    }

    std::string_view Text_;
    const TServerRules& Rules_;
    const std::unordered_set<std::string>& Maps_;
    TLoadState* Load_;
    TKeptFindings* Kept_;
    std::vector<TDiagnostic> Out_;
};

// The server copies an NPC it has already loaded; one of a later file is not there yet.
void TFileChecker::DuplicateSource(const TTopLevel& entry)
{
    if (!Load_ || Load_->NpcLoaded(entry.DuplicateOf))
        return;
    const TSourceRange& at = entry.Fields[1].Range;
    if (const std::string* file = Load_->NpcFile(entry.DuplicateOf))
        Error(at, "the duplicate's source NPC '" + entry.DuplicateOf + "' is defined " +
                      (*file == Load_->Current() ? "further down this file" : "in " + *file + ", which the server loads after this file"));
    else if (Load_->Complete())
        Error(at, "the duplicate's source NPC '" + entry.DuplicateOf + "' is defined in no file the server loads");
    else
        Out_.push_back({TSeverity::Warning, at, "the duplicate's source NPC '" + entry.DuplicateOf +
                                                    "' is defined in none of the files checked (the server may load it from another file)"});
}

// The server refuses what it reads in the order it reads it: in a body it could not read to the
// end, a command it does not know or a call of a missing function before the error is what it
// reports.
void TFileChecker::ReadBeforeError(const TTopLevel& entry, const TScriptFile& file)
{
    const auto inEntry = [&entry](const TDiagnostic& d) {
        return d.Severity == TSeverity::Error && d.Range.Begin.Offset >= entry.Range.Begin.Offset &&
               d.Range.Begin.Offset < entry.Range.End.Offset;
    };
    const auto error = std::find_if(file.Diagnostics.begin(), file.Diagnostics.end(), inEntry);
    if (error == file.Diagnostics.end())
        return;
    std::vector<TDiagnostic> found;
    TBodyChecker body = TBodyChecker::OutOfPlace(Rules_, found, Load_);
    for (const auto& statement : entry.ReadBeforeError)
        body.Statement(*statement);
    for (TDiagnostic& d : found)
        if (d.Range.Begin.Offset < error->Range.Begin.Offset)
            Out_.push_back(std::move(d));
}

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
        CheckLoaderLine(entry, Rules_.Dialect(), Out_);
        if (entry.Kind == TTopKind::Duplicate)
            DuplicateSource(entry);
        if (entry.Body) {
            TBodyChecker body(Rules_, Out_, Load_);
            if (Kept_ && file.Entries.size() == 1)
                body.Statements(*entry.Body, Kept_->Load);
            else
                body.Statement(*entry.Body);
            body.Unresolved(*entry.Body);
        } else if (!entry.ReadBeforeError.empty()) {
            ReadBeforeError(entry, file);
        }
        if (Load_)
            Load_->Define(entry);
    }
    std::stable_sort(Out_.begin(), Out_.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        return a.Range.Begin.Offset < b.Range.Begin.Offset;
    });
    return std::move(Out_);
}

} // namespace

std::string TLoadState::Key(std::string_view name) const
{
    return DialectOf(Target_).CaseSensitive ? std::string(name) : LowerCase(name);
}

std::string TLoadState::UniqueName(std::string_view name)
{
    const std::size_t colons = name.find("::");
    return std::string(colons == std::string_view::npos ? name : name.substr(colons + 2));
}

// Header lines only: a line that starts with a tab or a blank is inside a script body.
void TLoadState::Scan(std::string_view text, const std::string& file)
{
    const TDialect& dialect = DialectOf(Target_);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab1 == 0 || tab2 == std::string_view::npos)
            continue;
        const std::size_t tab3 = line.find_first_of("\t\r", tab2 + 1);
        const std::string_view w1 = line.substr(0, tab1), w2 = line.substr(tab1 + 1, tab2 - tab1 - 1);
        const std::string_view w3 = line.substr(tab2 + 1, tab3 == std::string_view::npos ? tab3 : tab3 - tab2 - 1);
        if (SameLetters(w1, "function") && TServerRules::IsType(dialect.ScriptTypes, w2))
            FunctionFiles_.emplace(Key(w3), file);
        else if (w2.find('(') == std::string_view::npos || SameLetters(w2.substr(0, 10), "duplicate(") ||
                 (dialect.StateInType && SameLetters(w2.substr(0, 7), "script(")))
            NpcFiles_.emplace(UniqueName(w3), file);
    }
}

void TLoadState::Define(const TTopLevel& entry)
{
    if (entry.Kind == TTopKind::Function)
        Functions_.insert(Key(entry.Name));
    else
        Npcs_.insert(UniqueName(entry.Name));
}

void TLoadState::Absorb(const TLoadState& other)
{
    Functions_.insert(other.Functions_.begin(), other.Functions_.end());
    Npcs_.insert(other.Npcs_.begin(), other.Npcs_.end());
    FunctionFiles_.insert(other.FunctionFiles_.begin(), other.FunctionFiles_.end());
    NpcFiles_.insert(other.NpcFiles_.begin(), other.NpcFiles_.end());
    if (other.Shipped_)
        Shipped_ = other.Shipped_;
}

void TLoadState::DefineShippedFunctions()
{
    Shipped_ = &TServerRules::For(Target_).ShippedFunctions();
}

bool TLoadState::FunctionLoaded(const std::string& name) const
{
    const std::string key = Key(name);
    return Functions_.count(key) > 0 || (Shipped_ && Shipped_->count(key) > 0);
}

const std::string* TLoadState::FunctionFile(const std::string& name) const
{
    const auto it = FunctionFiles_.find(Key(name));
    return it == FunctionFiles_.end() ? nullptr : &it->second;
}

const std::string* TLoadState::NpcFile(const std::string& name) const
{
    const auto it = NpcFiles_.find(name);
    return it == NpcFiles_.end() ? nullptr : &it->second;
}

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
    return CheckScript(ReadScriptFile(text, options.Target), text, options);
}

std::vector<TDiagnostic> CheckScript(const TScriptFile& file, std::string_view text, const TCheckOptions& options)
{
    std::vector<TDiagnostic> found = CheckScriptFile(file, text, options);
    TKeptFindings* kept = options.Kept && file.Entries.size() == 1 ? options.Kept : nullptr;
    for (std::vector<TDiagnostic> warnings : {CheckFlow(file, kept ? &kept->Flow : nullptr),
                                              CheckValues(file, text, options.Target, kept ? &kept->Values : nullptr)})
        found.insert(found.end(), std::make_move_iterator(warnings.begin()), std::make_move_iterator(warnings.end()));
    std::stable_sort(found.begin(), found.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        const auto key = [](const TDiagnostic& d) {
            return std::tuple(d.Range.Begin.Line, d.Range.Begin.Column, d.Severity != TSeverity::Error);
        };
        return key(a) < key(b);
    });
    return found;
}

std::vector<TDiagnostic> CheckArguments(const TServerRules& rules, const TCommandInfo& info,
                                        const std::vector<std::unique_ptr<TExpr>>& args, TSourcePos afterName,
                                        bool statement)
{
    std::vector<TDiagnostic> out;
    const int count = static_cast<int>(args.size());
    if (count < info.Mandatory) {
        // Where the server expected the next comma.
        const TSourcePos at = args.empty() ? afterName : args.back()->Range.End;
        out.push_back({TSeverity::Error, {at, at},
                       "'" + info.Name + "' needs " + std::to_string(info.Mandatory) + " argument(s), " +
                           std::to_string(count) + " given"});
    } else if (info.Maximum >= 0 && count > info.Maximum) {
        // parse_callfunc takes no more arguments than the table's pattern; the parser then wants
        // the statement's end or the call's ')' where the next one starts, and the NPC does not load.
        const std::string wanted = statement ? std::string("';' (parse_line: ") + rules.Dialect().NeedSemicolon + ")"
                                             : std::string("')' (parse_callfunc: expected ')' to close argument list)");
        out.push_back({TSeverity::Error, args[static_cast<std::size_t>(info.Maximum)]->Range,
                       "too many arguments: '" + info.Name + "' takes at most " + std::to_string(info.Maximum) + ": " +
                           TargetName(rules.Target()) + " wants " + wanted + " here"});
    }
    // The servers convert a value of the other kind when the command runs: text where a number is
    // wanted counts as 0 (rAthena and Hercules also log an error), a number where text is wanted
    // is written as its digits. Only a literal is surely of the other kind.
    for (std::size_t i = 0; i < args.size() && i < info.Pattern.size(); ++i) {
        const char letter = info.Pattern[i];
        const TExpr& arg = *args[i];
        const std::string which = "argument " + std::to_string(i + 1) + " of '" + info.Name + "'";
        if (letter == 'i' && arg.Kind == TExprKind::String)
            out.push_back({TSeverity::Warning, arg.Range, which + " is a number, not the text \"" + arg.Text + "\""});
        else if (letter == 's' && arg.Kind == TExprKind::Number)
            out.push_back({TSeverity::Warning, arg.Range,
                           which + " is text, not the number " + std::to_string(arg.Value) + " (write it in quotes)"});
    }
    return out;
}

} // namespace script
