// The walk over an NPC body that turns its statements into tasks. Every label at the body's top
// level (but the server's event labels, On...) opens a group; groups stand one after the other
// under "Start", so code falls from one label into the next as it did. Statements the task kinds
// cannot write stay manual code, whole lines as written, their comments included.

#include "DImportTree.h"

#include "DImportMatch.h"
#include "DManual.h"
#include "DMessages.h"

#include "global/DGlobal.h"
#include "script/PlayProgram.h"
#include "script/ServerRules.h"

#include <algorithm>
#include <regex>

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
        : Source_(source), Entry_(entry), Result_(result), Ctx_{source.Text, Groups_}
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
        Group_ = TaskTree.GetFirstNode();
        SpeakerPending_ = true;
        TaskTree.BeginUpdate();
        for (const auto& s : Entry_.Body->Children)
            Statement(*s);
        TakeComments(Entry_.Body->Range.End.Offset - 1);
        CloseRun();
        FlushManual();
        TaskTree.Select(TaskTree.GetFirstNode());
        TaskTree.EndUpdate();
        NextGroupNumber = NextNumber_;
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
        static const std::regex writerLabel("L[0-9]+(Exit)?", std::regex::icase);
        for (const TStmt* label : labels)
            if (!Groups_.count(script::LowerCase(label->Name)) && std::regex_match(label->Name, writerLabel))
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
        if (s.Kind == TStmtKind::Label && !IsEventLabel(s.Name)) {
            FlushManual();
            const bool writers = std::regex_match(s.Name, std::regex("L[0-9]+"));
            StartGroup(Groups_.at(script::LowerCase(s.Name)), s.Name, !writers);
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
        } else {
            Manual(s);
        }
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
        auto group = std::make_unique<TGroupTask>();
        group->GroupNumber = number;
        group->Caption = caption;
        group->UserNamed = userNamed ? 1 : 0;
        Group_ = AttachTask(TaskTree.GetFirstNode(), std::move(group))->Node;
        SpeakerPending_ = true;
    }

    void Structured(const TStmt& s, std::unique_ptr<TTask> task)
    {
        FlushManual();
        AttachTask(Group_, std::move(task));
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
        const bool speaker = lines.front() == "[" + NPCInfo.Name + "]";
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
        AttachTask(Group_, std::move(message));
        Result_.Stats.Statements += static_cast<int>(stmts.size());
        Result_.Stats.Structured += static_cast<int>(stmts.size());
    }

    void FlushManual()
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
        auto manual = std::make_unique<TManualTask>(ManualLines(text, Indentation(*ManualBegin_)));
        manual->Caption = "Manual: " + LinesText(manual->Lines);
        AttachTask(Group_, std::move(manual));
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
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!lines.empty() && !indent.empty() && line.rfind(indent, 0) == 0)
                line.erase(0, indent.size());
            lines.push_back(std::move(line));
            start = end + 1;
        }
        return lines;
    }

    const TImportSource& Source_;
    const script::TTopLevel& Entry_;
    TImportResult& Result_;
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
};

} // namespace

void BuildImportTree(const TImportSource& source, const script::TTopLevel& entry, TImportResult& result)
{
    TTreeBuilder(source, entry, result).Build();
}
