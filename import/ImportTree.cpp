// The walk over an NPC body that turns its statements into tasks. Every label at the body's top
// level (but the server's event labels, On...) opens a group; groups stand one after the other
// under "Start", so code falls from one label into the next as it did. Statements the task kinds
// cannot write stay manual code, whole lines as written, their comments included.

#include "import/ImportTree.h"

#include "model/Project.h"

#include "import/ImportMatch.h"
#include "model/ManualTasks.h"
#include "model/MessageTasks.h"

#include "model/Records.h"
#include "script/PlayProgram.h"
#include "script/ServerRules.h"

#include <algorithm>
#include <set>
#include <string_view>

using script::TExpr;
using script::TStmt;
using script::TStmtKind;

namespace {

int CountStatements(const TStmt& s)
{
    int count = s.Kind == TStmtKind::Block || s.Kind == TStmtKind::Empty ? 0 : 1;
    for (const TStmt* child : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (child)
            count += CountStatements(*child);
    for (const auto& child : s.Children)
        count += CountStatements(*child);
    return count;
}

// L<n> or, with exits, also L<n>Exit (any case): the names the script writer gives labels.
bool IsWritersLabel(std::string_view name, bool exits)
{
    if (exits && name.size() > 4 && script::LowerCase(name.substr(name.size() - 4)) == "exit")
        name.remove_suffix(4);
    return name.size() > 1 && (name[0] == 'L' || (exits && name[0] == 'l')) &&
           name.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

// The server runs labels that begin with On on events; their names must stay.
bool IsEventLabel(const std::string& name)
{
    return name.rfind("On", 0) == 0;
}

void CollectLabels(const TStmt& s, std::vector<const TStmt*>& labels)
{
    if (s.Kind == TStmtKind::Label)
        labels.push_back(&s);
    for (const TStmt* child : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (child)
            CollectLabels(*child, labels);
    for (const auto& child : s.Children)
        CollectLabels(*child, labels);
}

struct TReplacement {
    std::size_t Begin, End;
    std::string Text;
};

// Label arguments of a command or function call: every second argument of menu, else the
// positions the server's argument pattern marks with l.
void CollectCallRefs(const std::string& name, const std::vector<std::unique_ptr<TExpr>>& args,
                     const TMatchContext& ctx, std::vector<TReplacement>& out)
{
    const std::string lower = script::LowerCase(name);
    const script::TCommandInfo* info = script::TServerRules::For(script::TTarget::EAthena).FindCommand(lower);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool labelArg = lower == "menu" ? i % 2 == 1
                                              : info && i < info->Pattern.size() && info->Pattern[i] == 'l';
        if (labelArg)
            if (const auto group = GroupOf(ctx, *args[i]))
                out.push_back({args[i]->Range.Begin.Offset, args[i]->Range.End.Offset, "L" + std::to_string(*group)});
    }
}

void CollectExprRefs(const TExpr& e, const TMatchContext& ctx, std::vector<TReplacement>& out)
{
    if (e.Kind == script::TExprKind::Call)
        CollectCallRefs(e.Text, e.Args, ctx, out);
    for (const auto& arg : e.Args)
        CollectExprRefs(*arg, ctx, out);
}

void CollectLabelRefs(const TStmt& s, const TMatchContext& ctx, std::vector<TReplacement>& out)
{
    if (s.Kind == TStmtKind::Command)
        CollectCallRefs(s.Name, s.Args, ctx, out);
    for (const auto& arg : s.Args)
        CollectExprRefs(*arg, ctx, out);
    for (const TExpr* e : {s.Expr.get(), s.Cond.get()})
        if (e)
            CollectExprRefs(*e, ctx, out);
    for (const TStmt* child : {s.Init.get(), s.Step.get(), s.Then.get(), s.Else.get()})
        if (child)
            CollectLabelRefs(*child, ctx, out);
    for (const auto& child : s.Children)
        CollectLabelRefs(*child, ctx, out);
}

class TTreeBuilder {
public:
    TTreeBuilder(const TImportSource& source, const script::TTopLevel& entry, TImportResult& result)
        : Source_(source), Entry_(entry), Result_(result), Project_(*result.Project), Ctx_{source.Text, Groups_}
    {
        for (const script::TComment& comment : source.File.Comments)
            if (comment.Range.Begin.Offset > entry.Body->Range.Begin.Offset &&
                comment.Range.End.Offset < entry.Body->Range.End.Offset)
                Comments_.push_back(&comment);
        Cursor_ = entry.Body->Range.Begin.Offset + 1;
    }

    void Build()
    {
        NumberGroups();
        Group_ = Project_.TaskTree.GetFirstNode();
        SpeakerPending_ = true;
        Project_.TaskTree.BeginUpdate();
        for (const auto& s : Entry_.Body->Children)
            Statement(*s);
        TakeComments(Entry_.Body->Range.End.Offset - 1);
        CloseRun();
        FlushManual();
        Project_.TaskTree.Select(Project_.TaskTree.GetFirstNode());
        Project_.TaskTree.EndUpdate();
        Project_.NextGroupNumber = NextNumber_;
    }

private:
    void NumberGroups()
    {
        std::int32_t number = 1;
        for (const auto& s : Entry_.Body->Children) {
            if (s->Kind != TStmtKind::Label || IsEventLabel(s->Name))
                continue;
            const std::string key = script::LowerCase(s->Name);
            if (Groups_.count(key))
                throw EImportError(Entry_.Name + ": the label " + s->Name + " is defined twice");
            Groups_[key] = number;
            Result_.Labels[key] = "L" + std::to_string(number);
            ++number;
        }
        NextNumber_ = number;
        std::vector<const TStmt*> labels;
        CollectLabels(*Entry_.Body, labels);
        for (const TStmt* label : labels)
            if (!Groups_.count(script::LowerCase(label->Name)) && IsWritersLabel(label->Name, true))
                throw EImportError(Entry_.Name + ": the label " + label->Name + " (line " +
                                   std::to_string(label->Range.Begin.Line) +
                                   ") stays in manual code and would clash with the editor's own labels");
    }

    void Statement(const TStmt& s)
    {
        TakeComments(s.Range.Begin.Offset);
        Cursor_ = s.Range.End.Offset;
        if (const auto line = MatchMes(Ctx_, s)) {
            RunLines_.push_back(*line);
            RunStmts_.push_back(&s);
            return;
        }
        CloseRun();
        const auto group = s.Kind == TStmtKind::Label ? Groups_.find(script::LowerCase(s.Name)) : Groups_.end();
        if (group != Groups_.end()) {
            StartGroup(group->second, s.Name, !IsWritersLabel(s.Name, false));
            Result_.Stats.Statements += 1;
            Result_.Stats.Structured += 1;
        } else if (auto menu = MatchMenu(Ctx_, s, NextNumber_)) {
            Structured(s, std::move(menu->Task));
            if (menu->FallsThrough) {
                StartGroup(NextNumber_, "L" + std::to_string(NextNumber_), false);
                ++NextNumber_;
            }
        } else if (auto condition = MatchCondition(Ctx_, s)) {
            Structured(s, std::move(condition));
        } else if (auto action = MatchAction(Ctx_, s)) {
            Structured(s, std::move(action));
        } else if (Lowerable(s)) {
            Lower(s);
        } else if (s.Kind == TStmtKind::Break && BreakTarget_) {
            Jump(*BreakTarget_);
            Result_.Stats.Statements += 1;
            Result_.Stats.Structured += 1;
        } else if (auto options = SelectOptions(s)) {
            LowerSelect(s, *options);
        } else {
            Manual(s);
        }
    }

    // An if with a block (or an else) is taken apart into jumps and groups in source order, so
    // that what it holds can become tasks:
    //   if (C) goto Then; goto Else|End; Then: ...; [goto End; Else: ...;] End: ...
    bool Lowerable(const TStmt& s) const
    {
        if (s.Kind != TStmtKind::If || !s.Then || !s.Cond || !ConditionText(s))
            return false;
        return (s.Then->Kind == TStmtKind::Block && !s.Then->Children.empty()) || s.Else;
    }

    // The condition as written between `if` and its body, parentheses included; nothing when a
    // comment stands there (the jump line could not hold it).
    std::optional<std::string> ConditionText(const TStmt& s) const
    {
        const std::size_t begin = s.NameRange.End.Offset, end = s.Then->Range.Begin.Offset;
        if (end <= begin || end > Source_.Text.size())
            return std::nullopt;
        std::string text = Source_.Text.substr(begin, end - begin);
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        const std::size_t last = text.find_last_not_of(" \t\r\n");
        if (first == std::string::npos || text[first] != '(' || text[last] != ')' ||
            text.find("//") != std::string::npos || text.find("/*") != std::string::npos ||
            text.find_first_of("\r\n") != std::string::npos)
            return std::nullopt;
        return text.substr(first, last - first + 1);
    }

    void Lower(const TStmt& s)
    {
        const std::int32_t thenGroup = NextNumber_++;
        const std::int32_t elseGroup = s.Else ? NextNumber_++ : 0;
        const std::int32_t endGroup = NextNumber_++;
        Result_.Stats.Statements += 1;
        if (auto jump = MatchJump(*s.Cond, thenGroup)) {
            FlushManual();
            Project_.AttachTask(Group_, std::move(jump));
            Result_.Stats.Structured += 1;
        } else {
            FlushSlice();
            PendingLines_.push_back("if " + *ConditionText(s) + " goto L" + std::to_string(thenGroup) + ";");
        }
        Jump(s.Else ? elseGroup : endGroup);
        StartGroup(thenGroup, "L" + std::to_string(thenGroup), false);
        Body(*s.Then);
        if (s.Else) {
            Jump(endGroup);
            StartGroup(elseGroup, "L" + std::to_string(elseGroup), false);
            Body(*s.Else);
        }
        StartGroup(endGroup, "L" + std::to_string(endGroup), false);
        Cursor_ = s.Range.End.Offset;
    }

    // `switch (select("A:B", "C"))`: its options, when every one is literal text that is not empty.
    std::optional<std::vector<std::string>> SelectOptions(const TStmt& s) const
    {
        if (s.Kind != TStmtKind::Switch || !s.Cond || !s.Then || s.Cond->Kind != script::TExprKind::Call ||
            script::LowerCase(s.Cond->Text) != "select" || s.Cond->Args.empty())
            return std::nullopt;
        std::vector<std::string> options;
        for (const auto& arg : s.Cond->Args) {
            const auto text = RawString(Ctx_, *arg);
            if (!text)
                return std::nullopt;
            std::size_t start = 0;
            for (std::size_t colon; (colon = text->find(':', start)) != std::string::npos; start = colon + 1)
                options.push_back(text->substr(start, colon - start));
            options.push_back(text->substr(start));
        }
        // Statements before the first case run on the server (its switch is a chain of tests that
        // starts after them); a menu would jump over them.
        const auto& children = s.Then->Children;
        if (!children.empty() && children.front()->Kind != TStmtKind::Case && children.front()->Kind != TStmtKind::Default)
            return std::nullopt;
        std::set<std::int64_t> values;
        for (const auto& child : s.Then->Children)
            if (child->Kind == TStmtKind::Case &&
                (child->Cond->Kind != script::TExprKind::Number || !values.insert(child->Cond->Value).second))
                return std::nullopt;
        const bool hasEmpty = std::any_of(options.begin(), options.end(), [](const auto& o) { return o.empty(); });
        return hasEmpty ? std::nullopt : std::optional(options);
    }

    // A switch on the player's choice is a menu: each option jumps to the group of its case (or
    // of default, or past the switch); the cases follow one another as groups, so they fall
    // through as before, and break jumps past the switch.
    void LowerSelect(const TStmt& s, const std::vector<std::string>& options)
    {
        std::map<std::int64_t, std::int32_t> cases;
        std::optional<std::int32_t> fallback;
        for (const auto& child : s.Then->Children) {
            if (child->Kind == TStmtKind::Case)
                cases[child->Cond->Value] = NextNumber_++;
            else if (child->Kind == TStmtKind::Default)
                fallback = NextNumber_++;
        }
        const std::int32_t endGroup = NextNumber_++;
        auto menu = std::make_unique<TMenuTask>();
        for (std::size_t i = 0; i < options.size(); ++i) {
            const auto found = cases.find(static_cast<std::int64_t>(i + 1));
            menu->AddEntry(std::make_unique<TDMenu>(options[i], found != cases.end() ? found->second
                                                                                      : fallback.value_or(endGroup)));
        }
        menu->Caption = "Menu: " + menu->SummaryText();
        FlushManual();
        Project_.AttachTask(Group_, std::move(menu));
        Result_.Stats.Statements += 1;
        Result_.Stats.Structured += 1;
        const std::optional<std::int32_t> outerBreak = BreakTarget_;
        BreakTarget_ = endGroup;
        Cursor_ = s.Then->Range.Begin.Offset + 1;
        for (const auto& child : s.Then->Children) {
            if (child->Kind == TStmtKind::Case || child->Kind == TStmtKind::Default) {
                TakeComments(child->Range.Begin.Offset);
                const std::int32_t group = child->Kind == TStmtKind::Case ? cases.at(child->Cond->Value) : *fallback;
                StartGroup(group, "L" + std::to_string(group), false);
                Cursor_ = child->Range.End.Offset;
                Result_.Stats.Statements += 1;
                Result_.Stats.Structured += 1;
            } else {
                Statement(*child);
            }
        }
        TakeComments(s.Then->Range.End.Offset - 1);
        BreakTarget_ = outerBreak;
        StartGroup(endGroup, "L" + std::to_string(endGroup), false);
        Cursor_ = s.Range.End.Offset;
    }

    void Body(const TStmt& body)
    {
        if (body.Kind != TStmtKind::Block) {
            Statement(body);
            return;
        }
        Cursor_ = body.Range.Begin.Offset + 1;
        for (const auto& child : body.Children)
            Statement(*child);
        TakeComments(body.Range.End.Offset - 1);
        Cursor_ = body.Range.End.Offset;
    }

    void Jump(std::int32_t group)
    {
        CloseRun();
        FlushManual();
        Project_.AttachTask(Group_, JumpAction(group));
    }

    // Comments between the last statement and offset: they stay where they were, as manual code.
    void TakeComments(std::size_t offset)
    {
        for (; NextComment_ < Comments_.size() && Comments_[NextComment_]->Range.End.Offset <= offset; ++NextComment_) {
            const script::TComment& comment = *Comments_[NextComment_];
            if (comment.Range.Begin.Offset < Cursor_)
                continue;
            CloseRun();
            if (!ManualBegin_)
                ManualBegin_ = comment.Range.Begin.Offset;
            ManualEnd_ = comment.Range.End.Offset;
        }
    }

    void StartGroup(std::int32_t number, const std::string& caption, bool userNamed)
    {
        CloseRun();
        FlushManual();
        auto group = std::make_unique<TGroupTask>();
        group->GroupNumber = number;
        group->Caption = caption;
        group->UserNamed = userNamed ? 1 : 0;
        Group_ = Project_.AttachTask(Project_.TaskTree.GetFirstNode(), std::move(group))->Node;
        SpeakerPending_ = true;
    }

    void Structured(const TStmt& s, std::unique_ptr<TTask> task)
    {
        FlushManual();
        Project_.AttachTask(Group_, std::move(task));
        const int count = CountStatements(s);
        Result_.Stats.Statements += count;
        Result_.Stats.Structured += count;
    }

    void Manual(const TStmt& s)
    {
        if (!ManualBegin_)
            ManualBegin_ = s.Range.Begin.Offset;
        ManualEnd_ = s.Range.End.Offset;
        ManualStmts_.push_back(&s);
        Result_.Stats.Statements += CountStatements(s);
    }

    // A run of mes lines is a message when the writer's speaker line, which it puts before the
    // first message of each group, is already in it (or already written in this group).
    void CloseRun()
    {
        if (RunStmts_.empty())
            return;
        std::vector<std::string> lines = std::move(RunLines_);
        std::vector<const TStmt*> stmts = std::move(RunStmts_);
        RunLines_.clear();
        RunStmts_.clear();
        const bool speaker = lines.front() == "[" + Project_.NPCInfo.Name + "]";
        if (SpeakerPending_ && !(speaker && lines.size() > 1)) {
            for (const TStmt* s : stmts)
                Manual(*s);
            return;
        }
        if (SpeakerPending_)
            lines.erase(lines.begin());
        SpeakerPending_ = false;
        FlushManual();
        auto message = std::make_unique<TMessageTask>(lines);
        message->Caption = "Message: " + LinesText(lines);
        Project_.AttachTask(Group_, std::move(message));
        Result_.Stats.Statements += static_cast<int>(stmts.size());
        Result_.Stats.Structured += static_cast<int>(stmts.size());
    }

    // Manual code waiting to become one task: the lines taken so far, then the source range.
    void FlushManual()
    {
        FlushSlice();
        if (PendingLines_.empty())
            return;
        auto manual = std::make_unique<TManualTask>(PendingLines_);
        manual->Caption = "Manual: " + LinesText(manual->Lines);
        Project_.AttachTask(Group_, std::move(manual));
        PendingLines_.clear();
    }

    void FlushSlice()
    {
        if (!ManualBegin_)
            return;
        std::vector<TReplacement> refs;
        for (const TStmt* s : ManualStmts_)
            CollectLabelRefs(*s, Ctx_, refs);
        std::sort(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.Begin > b.Begin; });
        std::string text = Source_.Text.substr(*ManualBegin_, ManualEnd_ - *ManualBegin_);
        for (const TReplacement& r : refs)
            text.replace(r.Begin - *ManualBegin_, r.End - r.Begin, r.Text);
        for (std::string& line : ManualLines(text, Indentation(*ManualBegin_)))
            PendingLines_.push_back(std::move(line));
        ManualBegin_.reset();
        ManualStmts_.clear();
    }

    // The blanks before offset on its line, when only blanks stand there.
    std::string Indentation(std::size_t offset) const
    {
        const std::size_t lineStart = Source_.Text.rfind('\n', offset == 0 ? 0 : offset - 1);
        const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
        const std::string before = Source_.Text.substr(from, offset - from);
        return before.find_first_not_of(" \t") == std::string::npos ? before : std::string();
    }

    // The code's lines; the indentation of its first line is taken off the others, the writer
    // indents them again to the task's depth.
    static std::vector<std::string> ManualLines(const std::string& text, const std::string& indent)
    {
        std::vector<std::string> lines = SplitSourceLines(text);
        if (!indent.empty())
            for (std::size_t i = 1; i < lines.size(); ++i)
                if (lines[i].rfind(indent, 0) == 0)
                    lines[i].erase(0, indent.size());
        return lines;
    }

    const TImportSource& Source_;
    const script::TTopLevel& Entry_;
    TImportResult& Result_;
    TProject& Project_;
    std::map<std::string, std::int32_t> Groups_;
    TMatchContext Ctx_;
    std::vector<const script::TComment*> Comments_;
    std::size_t NextComment_ = 0;
    std::size_t Cursor_ = 0;
    std::int32_t NextNumber_ = 1;
    TTaskNode* Group_ = nullptr;
    bool SpeakerPending_ = true;
    std::vector<std::string> RunLines_;
    std::vector<const TStmt*> RunStmts_;
    std::optional<std::size_t> ManualBegin_;
    std::size_t ManualEnd_ = 0;
    std::vector<const TStmt*> ManualStmts_;
    std::vector<std::string> PendingLines_;
    std::optional<std::int32_t> BreakTarget_;  // the group past the switch being taken apart
};

} // namespace

void BuildImportTree(const TImportSource& source, const script::TTopLevel& entry, TImportResult& result)
{
    TTreeBuilder(source, entry, result).Build();
}
