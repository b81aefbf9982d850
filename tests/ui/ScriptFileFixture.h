#pragma once
// The script file window's fixture: a town file of two NPCs and a map flag in the test's folder,
// opened through File > Open Script..., and crash recovery of its unsaved edits.
#include "MainFrameFixture.h"

#include "document/Document.h"
#include "ui/Form_ScriptEntry.h"
#include "ui/Form_ScriptFile.h"
#include "ui/RecoveryOffer.h"
#include "workspace/ScriptWorkspace.h"
#include "workspace/WorkspaceRecovery.h"

#include <QDir>
#include <QPushButton>
#include <QTableWidget>

namespace scriptfiletest {

using namespace frametest;

inline const std::string Soldier = "prontera,10,10,4\tscript\tSoldier\t45,{\r\n\tmes \"Halt!\";\r\n\tclose;\r\n}";
inline const std::string Guide = "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"[Guide]\";\r\n\tmes \"Hi\";\r\n\tclose;\r\n}";
inline const std::string Town = "// Town\r\n\r\n" + Soldier + "\r\n" + Guide + "\r\nprontera\tmapflag\tnosave\tSavePoint";

class ScriptFileFormTest : public MainFrameTest {
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        WriteBytes(Dir / "town.txt", Town);
    }

    TScriptFileForm* OpenTown()
    {
        Dialogs->ScriptNames.push_back(QPathOf("town.txt"));
        Run("FileOpenScriptItem");
        auto* form = Frame->findChild<TScriptFileForm*>();
        EXPECT_NE(form, nullptr);
        return form;
    }

    template <class TForm>
    static TForm* OpenRow(TScriptFileForm* form, int row, const char* button)
    {
        form->EntryList()->setCurrentCell(row, 0);
        Child<QPushButton>(form, button)->click();
        auto* opened = form->window()->findChild<TForm*>();
        EXPECT_NE(opened, nullptr);
        return opened;
    }

    static QString Cell(TScriptFileForm* form, int row, int column)
    {
        return form->EntryList()->item(row, column)->text();
    }
};

// The captions of the tasks under the NPC's first node, in order.
inline std::vector<std::string> StartCaptions(TScriptNpcForm* npc)
{
    std::vector<std::string> captions;
    const TTaskNode* start = npc->Document().Project().TaskTree.GetFirstNode();
    for (int i = 0; i < start->ChildCount(); ++i)
        captions.push_back(start->Child(i)->Text());
    return captions;
}

class ScriptFileRecoveryTest : public ScriptFileFormTest {
protected:
    void SetUp() override
    {
        ScriptFileFormTest::SetUp();
        Frame->ScriptRecoveryFolder = Folder();
    }

    void TearDown() override
    {
        ScriptFileFormTest::TearDown();
    }

    QString Folder() const { return QPathOf("recovery"); }
    QStringList Copies() const { return QDir(Folder()).entryList({QStringLiteral("*.script")}, QDir::Files); }

    // What a run that crashed while the Guide said "Hello" left, editing the file for server.
    void LeaveCrashedCopy(TServerTarget server = TServerTarget::EAthena)
    {
        TScriptWorkspace workspace(PathOf("town.txt"), Town, server);
        workspace.SetPartText(workspace.EntryParts()[1], NewGuide);
        QDir().mkpath(Folder());
        WriteBytes(Dir / "recovery" / "crashed.script", EditsBytes(EditsOf(workspace)));
    }

    void OfferCopies()
    {
        OfferLeftoverScriptCopies(Frame, Folder(), [this](const QString& path, TServerTarget server) {
            return Frame->OpenScriptFile(path, server);
        });
    }

    const std::string NewGuide = "prontera,150,180,4\tscript\tGuide\t45,{\r\n\tmes \"Hello\";\r\n\tclose;\r\n}";
};

} // namespace scriptfiletest
