// The walk over an NPC body that turns its statements into tasks. Every label at the body's top
// level opens a group under its own name (event labels, On..., included); groups stand one after
// the other under "Start", so code falls from one label into the next as it did. if / else,
// loops and switches become tasks that hold the tasks of their bodies; statements no task kind
// can write stay manual code, whole lines as written, their comments included.

#include "import/ImportTree.h"

#include "model/Project.h"

#include "import/ImportCode.h"
#include "import/ImportMatch.h"
#include "model/BlockTasks.h"
#include "model/ManualTasks.h"
#include "model/MessageTasks.h"

#include "model/Records.h"
#include "script/PlayProgram.h"

#include <algorithm>
#include <string_view>
#include <cctype>
#include <tuple>

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

bool HoldsLabels(const TStmt& s)
{
    std::vector<const TStmt*> labels;
    CollectLabels(s, labels);
    return !labels.empty();
}

// The speaker a mes line names, "[...]" and nothing around it.
std::optional<std::string> SpeakerOf(const std::string& line)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']' || line.find(']') != line.size() - 1)
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

class TTreeBuilder {
public:
    TTreeBuilder(const TImportSource& source, const script::TTopLevel& entry, TImportResult& result,
                 TCodeRanges& ranges)
        : Source_(source), Entry_(entry), Result_(result), Project_(*result.Project), Ranges_(ranges),
          Ctx_{source.Text, result.Project->Catalogues(), Groups_, &result.Labels, &Comments_,
               result.Project->HeaderInfo.Target}
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
        Parent_ = Project_.TaskTree.GetFirstNode();
        // The NPC's start has no label of the author's, and nothing of the import's jumps to it; a
        // body that opens with a label (the editor's own scripts) keeps the start as it was.
        const auto& body = Entry_.Body->Children;
        Project_.StartGroup()->NoLabel = !body.empty() && body.front()->Kind != TStmtKind::Label;
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
            if (s->Kind != TStmtKind::Label)
                continue;
            const std::string key = script::LowerCase(s->Name);
            if (Groups_.count(key))
                throw EImportError(Entry_.Name + ": the label " + s->Name + " is defined twice");
            Groups_[key] = number;
            // The author's names are kept; only those that look like the writer's own are not.
            if (IsWritersLabel(s->Name, true))
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
        if (!Structure(s) && s.Kind != TStmtKind::Empty)
            Manual(s);
    }

    // Whether s became tasks (or the start of a group).
    bool Structure(const TStmt& s)
    {
        const auto group = s.Kind == TStmtKind::Label ? Groups_.find(script::LowerCase(s.Name)) : Groups_.end();
        if (group != Groups_.end()) {
            StartGroup(group->second, s.Name);
            Ranges_[Parent_->Data()].Head = TCodeRange{s.Range.Begin.Offset, s.Range.End.Offset};
            Count(1, true);
            return true;
        }
        // A menu going on with the next line needs a group there: only between groups.
        if (auto menu = MatchMenu(Ctx_, s, NextNumber_); menu && (!menu->FallsThrough || Depth_ == 0)) {
            Structured(s, std::move(menu->Task));
            if (menu->FallsThrough)
                StartGroup(NextNumber_++, {});
            return true;
        }
        std::unique_ptr<TTask> task = MatchCondition(Ctx_, s);
        if (!task)
            task = MatchAction(Ctx_, s);
        if (!task && !HoldsLabels(s) && Block(s))
            return true;
        if (!task)
            task = MatchCode(Ctx_, s);
        if (!task)
            return false;
        Structured(s, std::move(task));
        return true;
    }

    // The comments inside a block stay with the tasks they stand between.
    bool Block(const TStmt& s)
    {
        Cursor_ = s.Range.Begin.Offset;
        bool done = false;
        switch (s.Kind) {
        case TStmtKind::If: done = IfBlock(s); break;
        case TStmtKind::While:
        case TStmtKind::For:
        case TStmtKind::Do: done = Loop(s); break;
        case TStmtKind::Switch: done = Switch(s); break;
        default: break;
        }
        Cursor_ = s.Range.End.Offset;
        return done;
    }

    // if / else if / else: one if task, a branch for each part of the chain.
    bool IfBlock(const TStmt& s)
    {
        std::vector<std::pair<TConChecks, const TStmt*>> branches;
        const TStmt* part = &s;
        while (part) {
            if (part->Kind != TStmtKind::If || !part->Cond || !part->Then)
                return false;
            auto checks = MatchChecks(Ctx_, *part->Cond);
            if (!checks)
                return false;
            branches.emplace_back(std::move(*checks), part->Then.get());
            const TStmt* next = part->Else.get();
            if (next && next->Kind != TStmtKind::If) {
                branches.emplace_back(TConChecks{}, next);
                next = nullptr;
            }
            part = next;
        }
        auto block = std::make_unique<TIfTask>();
        block->Caption = block->SummaryText();
        TTaskNode* node = Attach(std::move(block));
        if (const TStmt* last = branches.back().second; last->Kind == TStmtKind::Block)
            Ranges_[node->Data()].End = TCodeRange{last->Range.End.Offset - 1, last->Range.End.Offset};
        Count(static_cast<int>(branches.size()), true);
        for (std::size_t i = 0; i < branches.size(); ++i) {
            auto branch = std::make_unique<TBranchTask>();
            branch->Checks = std::move(branches[i].first);
            branch->Caption = branch->IsElse() ? "Else" : (i == 0 ? "If " : "Else if ") + ChecksSummary(branch->Checks, Project_.Catalogues());
            // A comment between `}` and the next `else` ends the branch it follows.
            const std::size_t until = i + 1 < branches.size() ? CodeAfter(branches[i].second->Range.End.Offset) : 0;
            TBranchTask* attached = Project_.AttachTask(node, std::move(branch));
            Ranges_[attached].Head = TCodeRange{i == 0 ? s.Range.Begin.Offset : BranchStart(*branches[i - 1].second),
                                                HeadEnd(*branches[i].second)};
            Inside(attached->Node, *branches[i].second, until);
        }
        return true;
    }

    bool Loop(const TStmt& s)
    {
        if (!s.Then)
            return false;
        auto loop = std::make_unique<TLoopTask>();
        loop->LoopKind = s.Kind == TStmtKind::While ? TLoopKind::While
                         : s.Kind == TStmtKind::For ? TLoopKind::For
                                                    : TLoopKind::DoWhile;
        if (s.Kind == TStmtKind::For) {
            // The parts of `for (...)` as written between its parentheses.
            std::vector<TReplacement> refs;
            CollectLabelRefs(Ctx_, s, refs);
            const auto header = RangeText(Ctx_, s.NameRange.End.Offset, s.Then->Range.Begin.Offset, refs);
            const auto parts = header ? ForParts(*header) : std::nullopt;
            if (!parts)
                return false;
            std::tie(loop->Init, loop->Condition, loop->Step) = *parts;
        } else {
            const auto cond = s.Cond ? ExprText(Ctx_, *s.Cond) : std::nullopt;
            if (!cond || cond->empty())
                return false;
            loop->Condition = *cond;
        }
        loop->Caption = loop->SummaryText();
        const bool doWhile = loop->LoopKind == TLoopKind::DoWhile;
        TTaskNode* node = Attach(std::move(loop));
        Ranges_[node->Data()].Head = TCodeRange{s.Range.Begin.Offset, HeadEnd(*s.Then)};
        if (s.Then->Kind == TStmtKind::Block || doWhile)
            Ranges_[node->Data()].End = TCodeRange{BranchStart(*s.Then), doWhile ? s.Range.End.Offset : s.Then->Range.End.Offset};
        Count(1, true);
        Inside(node, *s.Then);
        return true;
    }

    bool Switch(const TStmt& s)
    {
        if (!s.Cond || !s.Then || s.Then->Kind != TStmtKind::Block)
            return false;
        const auto& children = s.Then->Children;
        const auto isCase = [](const auto& c) { return c->Kind == TStmtKind::Case || c->Kind == TStmtKind::Default; };
        // Statements before the first case have no case to stand in.
        if (!children.empty() && !isCase(children.front()))
            return false;
        std::vector<std::string> values;
        for (const auto& child : children)
            if (child->Kind == TStmtKind::Case) {
                const auto value = child->Cond ? ExprText(Ctx_, *child->Cond) : std::nullopt;
                if (!value)
                    return false;
                values.push_back(*value);
            }
        const auto value = ExprText(Ctx_, *s.Cond);
        if (!value)
            return false;
        // Only cases stand in a switch: a comment before the first one goes before the switch.
        TakeComments(children.empty() ? s.Then->Range.End.Offset - 1 : children.front()->Range.Begin.Offset);
        auto task = std::make_unique<TSwitchTask>();
        task->Value = *value;
        task->Caption = task->SummaryText();
        TTaskNode* node = Attach(std::move(task));
        Ranges_[node->Data()] = {TCodeRange{s.Range.Begin.Offset, HeadEnd(*s.Then)},
                                 TCodeRange{s.Then->Range.End.Offset - 1, s.Then->Range.End.Offset}};
        Count(1, true);
        TTaskNode* outer = Enter(node);
        std::size_t next = 0;
        for (const auto& child : children) {
            if (!isCase(child)) {
                Statement(*child);
                continue;
            }
            TakeComments(child->Range.Begin.Offset);
            Cursor_ = child->Range.End.Offset;
            auto part = std::make_unique<TCaseTask>();
            part->IsDefault = child->Kind == TStmtKind::Default;
            if (!part->IsDefault)
                part->Value = values[next++];
            part->Caption = part->SummaryText();
            Leave(node);
            TCaseTask* attached = Project_.AttachTask(node, std::move(part));
            Ranges_[attached].Head = TCodeRange{child->Range.Begin.Offset, child->Range.End.Offset};
            Enter(attached->Node);
            Count(1, true);
        }
        TakeComments(s.Then->Range.End.Offset - 1);
        Leave(outer);
        return true;
    }

    // Where a block's head ends: past its opening brace. A body without braces is the head's own:
    // the braces the writer puts around it stand or fall with the head.
    static std::size_t HeadEnd(const TStmt& body)
    {
        return body.Kind == TStmtKind::Block ? body.Range.Begin.Offset + 1 : body.Range.End.Offset;
    }

    // Where the part after body begins (`} else`, `} while`): its closing brace, or the code after
    // a body without braces.
    std::size_t BranchStart(const TStmt& body) const
    {
        return body.Kind == TStmtKind::Block ? body.Range.End.Offset - 1 : CodeAfter(body.Range.End.Offset);
    }

    // Where the code goes on after offset: past blanks and comments.
    std::size_t CodeAfter(std::size_t offset) const
    {
        const std::string& text = Source_.Text;
        for (std::size_t c = NextComment_; offset < text.size();) {
            while (c < Comments_.size() && Comments_[c]->Range.End.Offset <= offset)
                ++c;
            if (c < Comments_.size() && Comments_[c]->Range.Begin.Offset <= offset) {
                offset = Comments_[c]->Range.End.Offset;
            } else if (std::isspace(static_cast<unsigned char>(text[offset]))) {
                ++offset;
            } else {
                break;
            }
        }
        return offset;
    }

    // The tasks of body go below node, and the comments before until after them.
    void Inside(TTaskNode* node, const TStmt& body, std::size_t until = 0)
    {
        TTaskNode* outer = Enter(node);
        if (body.Kind != TStmtKind::Block) {
            Statement(body);
        } else {
            TakeComments(body.Range.Begin.Offset);
            Cursor_ = body.Range.Begin.Offset + 1;
            for (const auto& child : body.Children)
                Statement(*child);
            TakeComments(body.Range.End.Offset - 1);
            Cursor_ = body.Range.End.Offset;
        }
        TakeComments(until);
        Leave(outer);
    }

    TTaskNode* Enter(TTaskNode* node)
    {
        CloseRun();
        FlushManual();
        TTaskNode* outer = Parent_;
        Parent_ = node;
        ++Depth_;
        return outer;
    }

    void Leave(TTaskNode* outer)
    {
        CloseRun();
        FlushManual();
        Parent_ = outer;
        --Depth_;
    }

    TTaskNode* Attach(std::unique_ptr<TTask> task)
    {
        FlushManual();
        return Project_.AttachTask(Parent_, std::move(task))->Node;
    }

    void Count(int statements, bool structured)
    {
        Result_.Stats.Statements += statements;
        if (structured)
            Result_.Stats.Structured += statements;
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

    // A group under the label's name (empty: the writer's own); an event label's group says so.
    void StartGroup(std::int32_t number, const std::string& label)
    {
        CloseRun();
        FlushManual();
        auto group = std::make_unique<TGroupTask>();
        group->GroupNumber = number;
        group->LabelName = IsWritersLabel(label, true) ? std::string() : label;
        group->Caption = group->Label() + (group->IsEventLabel() ? " (runs on an event)" : "");
        Parent_ = Project_.AttachTask(Project_.TaskTree.GetFirstNode(), std::move(group))->Node;
        SpeakerPending_ = true;
    }

    void Structured(const TStmt& s, std::unique_ptr<TTask> task)
    {
        const TTask* attached = Attach(std::move(task))->Data();
        Ranges_[attached].Head = TCodeRange{s.Range.Begin.Offset, s.Range.End.Offset};
        const int count = CountStatements(s);
        Count(count, true);
    }

    void Manual(const TStmt& s)
    {
        if (!ManualBegin_)
            ManualBegin_ = s.Range.Begin.Offset;
        ManualEnd_ = s.Range.End.Offset;
        ManualStmts_.push_back(&s);
        Count(CountStatements(s), false);
    }

    // A run of mes lines is a message; a first line "[...]" is its speaker. The writer puts the
    // NPC's shown name before a group's first message by itself, so only other speakers are stored.
    void CloseRun()
    {
        if (RunStmts_.empty())
            return;
        std::vector<std::string> lines = std::move(RunLines_);
        const auto statements = static_cast<int>(RunStmts_.size());
        const TCodeRange range{RunStmts_.front()->Range.Begin.Offset, RunStmts_.back()->Range.End.Offset};
        RunLines_.clear();
        RunStmts_.clear();
        auto message = std::make_unique<TMessageTask>();
        const std::string& npc = Project_.NPCInfo.Name;
        const auto speaker = lines.size() > 1 ? SpeakerOf(lines.front()) : std::nullopt;
        const std::string shown = ShownNpcName(npc);
        if (!speaker)
            message->Speaker = SpeakerPending_ ? TSpeakerKind::None : TSpeakerKind::Default;
        else if (SpeakerPending_ && !shown.empty() && *speaker == shown)
            message->Speaker = TSpeakerKind::Default;
        else if (*speaker == npc)
            message->Speaker = TSpeakerKind::NpcName;
        else if (*speaker == shown)
            message->Speaker = TSpeakerKind::ShownName;
        else
            message->Speaker = TSpeakerKind::Other;
        if (message->Speaker == TSpeakerKind::Other)
            message->SpeakerText = *speaker;
        if (speaker)
            lines.erase(lines.begin());
        SpeakerPending_ = false;
        message->Lines = std::move(lines);
        message->Caption = "Message: " + LinesText(message->Lines);
        Ranges_[Attach(std::move(message))->Data()].Head = range;
        Count(statements, true);
    }

    // Manual code waiting to become one task: the source range taken so far.
    void FlushManual()
    {
        if (!ManualBegin_)
            return;
        std::vector<TReplacement> refs;
        for (const TStmt* s : ManualStmts_)
            CollectLabelRefs(Ctx_, *s, refs);
        const std::string text = Source_.Text.substr(*ManualBegin_, ManualEnd_ - *ManualBegin_);
        auto manual = std::make_unique<TManualTask>(ManualLines(ApplyReplacements(text, *ManualBegin_, refs),
                                                                Indentation(*ManualBegin_)));
        manual->Caption = "Manual: " + LinesText(manual->Lines);
        Ranges_[manual.get()].Head = TCodeRange{*ManualBegin_, ManualEnd_};
        ManualBegin_.reset();
        ManualStmts_.clear();
        Project_.AttachTask(Parent_, std::move(manual));
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
    TCodeRanges& Ranges_;
    std::map<std::string, std::int32_t> Groups_;
    std::vector<const script::TComment*> Comments_;
    TMatchContext Ctx_;
    std::size_t NextComment_ = 0;
    std::size_t Cursor_ = 0;
    std::int32_t NextNumber_ = 1;
    TTaskNode* Parent_ = nullptr;  // where tasks go: a group, a branch, a loop or a case
    int Depth_ = 0;                // how deep inside blocks
    bool SpeakerPending_ = true;   // as the writer's: no message yet since the group began
    std::vector<std::string> RunLines_;
    std::vector<const TStmt*> RunStmts_;
    std::optional<std::size_t> ManualBegin_;
    std::size_t ManualEnd_ = 0;
    std::vector<const TStmt*> ManualStmts_;
};

} // namespace

void BuildImportTree(const TImportSource& source, const script::TTopLevel& entry, TImportResult& result,
                     TCodeRanges& ranges)
{
    TTreeBuilder(source, entry, result, ranges).Build();
}
