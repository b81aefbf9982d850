#pragma once
// A clean model for every test: empty catalogues with a few maps, jobs and sprites, the action
// catalogue, and a new project.

#include "model/Records.h"
#include "DocumentSupport.h"
#include "model/ActionTasks.h"
#include "document/Document.h"
#include "model/Tasks.h"
#include "model/ScriptWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Resets the catalogues to a small known set: maps prontera.gat (0), izlude.gat (1); jobs Novice
// (0) and Knight (7); sprites 45, 111, 800.
void UseSmallCatalogues();

// The tree as "Start(A,G(B,C),D)", from the node texts.
inline std::string TreeShape(const TTaskNode* node)
{
    std::string text = node->Text();
    if (node->ChildCount() == 0)
        return text;
    text += "(";
    for (int i = 0; i < node->ChildCount(); ++i)
        text += (i > 0 ? "," : "") + TreeShape(node->Child(i));
    return text + ")";
}

// Records what the project document reports while it lives.
class TChangeLog {
public:
    TChangeLog();
    ~TChangeLog();
    TChangeLog(const TChangeLog&) = delete;
    TChangeLog& operator=(const TChangeLog&) = delete;
    // How many reported changes touched any of parts.
    int Count(unsigned parts) const;

    std::vector<TProjectChange> Changes;

private:
    QMetaObject::Connection Connection_;
};

// The script of the current project.
std::vector<std::string> CurrentScript();

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TGroupTask* Start() const;
    // Adds task as the last child of parent (a group node) and registers it.
    template <class T>
    T* Add(TTaskNode* parent, std::unique_ptr<T> task)
    {
        return Project().AttachTask(parent, std::move(task));
    }
    TGroupTask* AddGroup(TTaskNode* parent, const std::string& caption);
};
