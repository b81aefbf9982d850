// File > Import Script...: the script file, then the NPC from the import window with its text,
// the unsaved-changes question, and the NPC opened as a new, unsaved project, or the project left
// as it was when the import fails.
#include "MainFrameFixture.h"
#include "DocumentSupport.h"

#include "ui/Form_Import.h"
#include "ui/TaskTreeView.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace frametest;

namespace {

const std::string Script =
    "prontera,150,180,4\tscript\tGuide\t45,{\n\tmes \"[Guide]\";\n\tmes \"Hi\";\n\tclose;\n}\n"
    "-\tscript\tHidden\t-1,{\n\tend;\n}\n"
    "payon,10,20,2\tscript\tHelper\t800,{\n\tif (x) goto L1;\n\tclose;\n\tif (y) { L1: end; }\n}\n";

class ImportCommandTest : public MainFrameTest {
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        WriteBytes(Dir / "npcs.txt", Script);
        Dialogs->ScriptNames.push_back(QPathOf("npcs.txt"));
    }

    // Runs File > Import Script... and lets handle work in the import window while it is open.
    void Import(const std::function<void(TImportForm&)>& handle)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TImportForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            seen = true;
            handle(*form);
            if (form->isVisible())
                form->reject();
        });
        Run("FileImportItem");
        EXPECT_TRUE(seen);
    }

    static void Choose(TImportForm& form, int row)
    {
        Child<QListWidget>(&form, "NpcList")->setCurrentRow(row);
    }
    static QPushButton* Ok(TImportForm& form)
    {
        return Child<QDialogButtonBox>(&form, "Buttons")->button(QDialogButtonBox::Ok);
    }
};

TEST_F(ImportCommandTest, ListsTheNpcsAndPreviewsTheSelectedOne)
{
    EXPECT_TRUE(Child<QMenu>(Frame, "FileMenu")->actions().contains(Command("FileImportItem")));
    EXPECT_EQ(Command("FileImportItem")->text(), QStringLiteral("&Import Script..."));
    Import([](TImportForm& form) {
        // The file is taken to be written for the server the author works for now.
        EXPECT_EQ(Child<QComboBox>(&form, "ServerCombo")->currentText(), QStringLiteral("eAthena"));
        auto* list = Child<QListWidget>(&form, "NpcList");
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), QStringLiteral("Guide  (lines 1-5)"));
        EXPECT_TRUE(list->item(1)->text().startsWith(QStringLiteral("Hidden  (lines 6-8): a floating NPC")));
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_TRUE(Ok(form)->isEnabled());
        auto* preview = Child<QPlainTextEdit>(&form, "PreviewEdit");
        EXPECT_TRUE(preview->toPlainText().startsWith(QStringLiteral("prontera,150,180,4")));
        // The script as the output window shows one: fixed pitch, a tab four characters wide.
        EXPECT_TRUE(preview->font().fixedPitch());
        EXPECT_EQ(preview->tabStopDistance(),
                  QFontMetricsF(preview->font(), &form).horizontalAdvance(QStringLiteral("    ")));
        Choose(form, 1);
        EXPECT_FALSE(Ok(form)->isEnabled());
        EXPECT_TRUE(Child<QPlainTextEdit>(&form, "PreviewEdit")->toPlainText().contains(QStringLiteral("Hidden")));
    });
    EXPECT_EQ(Project().TaskTree.Count(), 1);
}

TEST_F(ImportCommandTest, OpensTheChosenNpcAsANewUnsavedProjectForTheFilesServer)
{
    Import([](TImportForm& form) {
        Child<QComboBox>(&form, "ServerCombo")->setCurrentIndex(1);
        EXPECT_EQ(Child<QListWidget>(&form, "NpcList")->currentRow(), 0);
        QTest::mouseClick(Ok(form), Qt::LeftButton);
    });
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::RAthena);
    EXPECT_EQ(Project().HeaderInfo.Compatible, RulesOf(TServerTarget::RAthena).DefaultCompatible);
    EXPECT_EQ(Project().NPCInfo.Name, "Guide");
    EXPECT_EQ(Project().NPCInfo.MapIndex, 1);
    EXPECT_EQ(Project().TaskTree.Count(), 3);  // Start, the message, close
    EXPECT_TRUE(Project().ProjectFileName.empty());
    EXPECT_EQ(Title(), ExpectedTitle("No File Open", "rAthena", true));
    EXPECT_TRUE(Dialogs->Questions.empty());
    EXPECT_TRUE(Dialogs->Errors.empty());
}

// The chooser closed leaves the keys where they were: the desktop may have left no window
// active, and Ctrl+Q or F9 would wait for a click.
TEST_F(ImportCommandTest, TheFocusGoesBackToTheWindowTheUserCameFrom)
{
    QWidget* tree = TaskWindow()->TasksList();
    tree->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), tree);
    Import([](TImportForm& form) {
        form.reject();
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
    });
    EXPECT_TRUE(QTest::qWaitForWindowActive(Frame.data()));
    EXPECT_EQ(QApplication::focusWidget(), tree);
}

TEST_F(ImportCommandTest, AsksToSaveTheCurrentProjectFirst)
{
    ChangeTree();
    Dialogs->Answers.push_back(TAnswer::Cancel);
    Import([](TImportForm& form) { form.accept(); });
    ASSERT_EQ(Dialogs->Questions.size(), 1u);
    EXPECT_EQ(Dialogs->Questions[0].Text,
              QStringLiteral("Save the changes to this new project before importing npcs.txt?"));
    EXPECT_EQ(Project().TaskTree.Count(), 2);  // Start and the group of the change, kept
    EXPECT_NE(Project().NPCInfo.Name, "Guide");
}

// Answering No to "Save first?" drops nothing until the import has succeeded: a failed one leaves
// the project unsaved, with its server and its undo history.
TEST_F(ImportCommandTest, AFailedImportLeavesTheProjectAsItWas)
{
    ChangeTree("Kept");
    TNPCHeader header = Project().HeaderInfo;
    ChangeServerTarget(header, TServerTarget::Hercules);
    Document().SetHeader(header);
    Dialogs->Answers.push_back(TAnswer::No);
    Import([](TImportForm& form) {
        Choose(form, 2);
        form.accept();
    });
    ASSERT_EQ(Dialogs->Errors.size(), 1u);
    EXPECT_TRUE(Dialogs->Errors[0].contains(QStringLiteral("clash with the editor's own labels")));
    ASSERT_EQ(Project().TaskTree.Count(), 2);
    EXPECT_EQ(Project().TaskTree.GetFirstNode()->Child(0)->Text(), "Kept");
    EXPECT_NE(Project().NPCInfo.Name, "Helper");
    EXPECT_TRUE(Project().Modified);
    EXPECT_EQ(Title(), ExpectedTitle("No File Open", "Hercules", true));
    EXPECT_EQ(Project().HeaderInfo.Target, TServerTarget::Hercules);
    EXPECT_EQ(Document().UndoName(), "Edit header");
}

TEST_F(ImportCommandTest, AMapTheCatalogueLacksIsReported)
{
    WriteBytes(Dir / "izlude.txt", "izlude,1,1,4\tscript\tPorter\t45,{\n\tclose;\n}\n");
    Dialogs->ScriptNames = {QPathOf("izlude.txt")};
    Import([](TImportForm& form) { form.accept(); });
    EXPECT_EQ(Project().NPCInfo.Name, "Porter");
    EXPECT_EQ(Project().NPCInfo.MapIndex, -1);
    ASSERT_EQ(Dialogs->Messages.size(), 1u);
    EXPECT_TRUE(Dialogs->Messages[0].Text.contains(QStringLiteral("izlude is not in the map catalogue")));
}

} // namespace
