// Random runs on a script file: its NPCs edited as tasks and as code, undone and redone, the file
// saved, read again keeping the edits after another writer changed it, and restored after a kill.
// After every step the file's bytes (as it will be saved, and on disk) are what the user did: each
// entry as last typed as code, or as its tasks write it while they differ from the entry as opened.

#include "RandomEdits.h"
#include "TestSupport.h"

#include "output/Export.h"
#include "workspace/WorkspaceRecovery.h"
#include "workspace/WriteBack.h"

#include <gtest/gtest.h>

namespace {

using namespace randomedits;

const std::string Soldier = "prontera,10,10,4\tscript\tSoldier\t45,{\r\n\tmes \"Halt!\";\r\n\tclose;\r\n}";
const std::string Guide = "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"[Guide]\";\r\n\tmes \"Hi\";\r\n\tclose;\r\n}";
const std::string Poring = "prontera,0,0,0,0\tmonster\tPoring\t1002,5,0,0,0";
const std::string Town = "// Town\r\n\r\n" + Soldier + "\r\n" + Guide + "\r\n" + Poring + "\r\n";

// The NPC's lines as its tasks write them; nothing when the writer refuses them.
std::optional<std::string> Written(const TProject& project)
{
    const TExportedScript script = NpcScriptText(project, "prontera");
    if (!script.Problems.empty())
        return std::nullopt;
    std::vector<std::string> lines = SplitSourceLines(script.Text);
    lines.pop_back();
    return JoinLines(lines, "\r\n");
}

// The lines a code edit typed, in order: what the NPC's tasks must hold when it is opened.
std::vector<std::string> Typed(const std::string& text)
{
    std::vector<std::string> typed;
    for (const std::string& line : SplitSourceLines(text))
        if (line.find("Typed ") != std::string::npos)
            typed.push_back(line.substr(line.find("Typed ")));
    return typed;
}

class ScriptFileRun : public TaskTest, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override
    {
        TaskTest::SetUp();
        WriteBytes(Path(), Town);
        Disk_ = Town;
        Workspace_ = TScriptWorkspace::Open(Path().string());
        for (std::size_t part = 0; part < Workspace_->Parts().size(); ++part)
            Pieces_.push_back(Workspace_->PartText(part));
        Following_ = QObject::connect(&Document(), &TProjectDocument::Changed, [this] {
            if (Tasks_)
                Tasks_->Follow(*Workspace_, Project());
        });
    }

    // The tests share the document: the next one must not call into this one.
    void TearDown() override
    {
        QObject::disconnect(Following_);
        TaskTest::TearDown();
    }

    std::filesystem::path Path() const { return Dir_ / "town.txt"; }
    std::size_t Pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(Random_); }
    std::size_t AnyNpc() { return Workspace_->EntryParts()[Pick(2)]; }

    // The entry's text as the user has it after a change of the open NPC's tasks.
    void FollowTasks()
    {
        if (!Project().Modified) {
            Pieces_[Open_] = Baseline_;
        } else if (const std::optional<std::string> written = Written(Project())) {
            Pieces_[Open_] = *written;
        }
    }

    void OpenAsTasks(std::size_t part)
    {
        try {
            Tasks_ = std::make_unique<TNpcEntryTasks>(*Workspace_, part, SharedTestCatalogues());
        } catch (const EImportError&) {
            return;  // the window would open it as code
        }
        Document().AdoptProject(Workspace_->Parts()[part].Name, Tasks_->TakeProject());
        Open_ = part;
        Baseline_ = Pieces_[part];
        if (const std::optional<std::string> written = Written(Project())) {
            EXPECT_EQ(Typed(*written), Typed(Pieces_[part])) << "the tasks lost what was typed as code";
        }
    }

    void TypeAsCode(std::size_t part)
    {
        if (Tasks_ && Open_ == part)
            Tasks_.reset();  // one window per entry: its tasks window closes first
        std::string& text = Pieces_[part];
        const std::string n = std::to_string(++Count_);
        if (Workspace_->Parts()[part].Kind == TPartKind::Monster)
            text = "prontera,0,0,0,0\tmonster\tPoring\t1002," + n + ",0,0,0";
        else
            text.insert(text.find("\r\n") + 2, "\tmes \"Typed " + n + "\";\r\n");
        Workspace_->SetPartText(part, text);
    }

    void Save()
    {
        if (Tasks_ && !Tasks_->WriteError().empty())
            return;  // the file window refuses
        for (const TSaveProblem& problem : Workspace_->CheckNewBytes())
            if (problem.New)
                return;  // the user declines to save what the server would refuse
        Workspace_->Save();
        Disk_ = Expected();
        ASSERT_EQ(Workspace_->Parts().size(), Pieces_.size());
        if (Tasks_) {
            Tasks_->Saved(*Workspace_);
            Baseline_ = Pieces_[Open_];
            Document().SetModified(false);
        }
    }

    // Another writer put a line at the top; the file is read again with the edits kept.
    void ReloadKeepingEdits()
    {
        const std::string pulled = "// pulled " + std::to_string(++Count_) + "\r\n";
        Disk_ = pulled + Disk_;
        Pieces_[0] = pulled + Pieces_[0];
        WriteBytes(Path(), Disk_);
        auto reread = TScriptWorkspace::Open(Path().string());
        ASSERT_EQ(ApplyEdits(*reread, EditsOf(*Workspace_)), "");
        Workspace_ = std::move(reread);
    }

    // The program ends without a word; the next run puts the recovery copy back into the file.
    void KillAndRestore()
    {
        const std::string copy = EditsBytes(EditsOf(*Workspace_));
        Tasks_.reset();
        Workspace_ = TScriptWorkspace::Open(Path().string());
        ASSERT_EQ(ApplyEdits(*Workspace_, ReadEditsBytes("copy", copy)), "");
    }

    std::string Expected() const
    {
        std::string bytes;
        for (const std::string& piece : Pieces_)
            bytes += piece;
        return bytes;
    }

    TTempDir Dir_;
    QMetaObject::Connection Following_;
    std::mt19937 Random_{GetParam()};
    std::unique_ptr<TScriptWorkspace> Workspace_;
    std::unique_ptr<TNpcEntryTasks> Tasks_;
    std::vector<std::string> Pieces_;  // each part of the file as the user has it
    std::string Disk_;
    std::string Baseline_;  // the open NPC's entry when opened or last saved
    std::size_t Open_ = 0;
    int Count_ = 0;
};

TEST_P(ScriptFileRun, TheFileIsWhatTheUserDidAfterEveryStep)
{
    TRandomEditor editor(GetParam(), false);
    const auto call = [](const std::function<bool()>& edit) { return edit(); };
    for (int step = 0; step < 150; ++step) {
        const std::size_t action = Pick(Tasks_ ? 10 : 5);
        if (action == 0)
            TypeAsCode(Pick(2) ? AnyNpc() : Workspace_->EntryParts()[2]);
        else if (action == 1)
            Save();
        else if (action == 2)
            ReloadKeepingEdits();
        else if (action == 3)
            KillAndRestore();
        else if (!Tasks_)
            OpenAsTasks(AnyNpc());
        else if (action == 4)
            Tasks_.reset();
        else if (action == 5)
            Document().Undo();
        else if (action == 6)
            Document().Redo();
        else {
            editor.SelectAny();
            editor.EditOnce(call);
        }
        if (Tasks_ && action >= 5)
            FollowTasks();
        ASSERT_EQ(FirstDifference(Workspace_->NewBytes(), Expected()), "") << "step " << step << ", seed " << GetParam();
        ASSERT_EQ(ReadBytes(Path()), Disk_) << "step " << step << ", seed " << GetParam();
        if (Tasks_) {
            ASSERT_EQ(Tasks_->WriteError().empty(), !Project().Modified || Written(Project()).has_value())
                << "step " << step << ", seed " << GetParam();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ScriptFileRun, ::testing::Values(11u, 12u, 13u));

} // namespace
