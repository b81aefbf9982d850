#include "ModelFixture.h"
#include "DocumentSupport.h"

#include <algorithm>

void UseSmallCatalogues()
{
    TestCatalogues().Clear();
    TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Izlude", "izlude.gat"}));
    TestCatalogues().Jobs.push_back(std::make_unique<TJob>(TJob{0, "Novice"}));
    TestCatalogues().Jobs.push_back(std::make_unique<TJob>(TJob{7, "Knight"}));
    for (std::int32_t id : {45, 111, 800}) {
        TestCatalogues().Sprites.push_back(std::make_unique<TNPCImg>(TNPCImg{id, static_cast<std::int32_t>(TestCatalogues().Sprites.size()), "Sprite " + std::to_string(id)}));
        TestCatalogues().MinSpriteID = std::min(TestCatalogues().MinSpriteID, static_cast<std::uint32_t>(id));
        TestCatalogues().MaxSpriteID = std::max(TestCatalogues().MaxSpriteID, static_cast<std::uint32_t>(id));
    }
}

TChangeLog::TChangeLog()
    : Connection_(QObject::connect(&Document(), &TProjectDocument::Changed,
                                   [this](const TProjectChange& change) { Changes.push_back(change); }))
{
}

TChangeLog::~TChangeLog()
{
    QObject::disconnect(Connection_);
}

int TChangeLog::Count(unsigned parts) const
{
    return static_cast<int>(std::count_if(Changes.begin(), Changes.end(),
                                          [parts](const TProjectChange& change) { return change.Has(parts); }));
}

std::vector<std::string> CurrentScript()
{
    std::vector<std::string> lines;
    GenerateScript(Project(), lines);
    return lines;
}

void ModelTest::SetUp()
{
    UseSmallCatalogues();
    Document().NewProject();
}

void ModelTest::TearDown()
{
}

TGroupTask* ModelTest::Start() const
{
    return static_cast<TGroupTask*>(Project().TaskTree.GetFirstNode()->Data());
}

TGroupTask* ModelTest::AddGroup(TTaskNode* parent, const std::string& caption)
{
    return Add(parent, Project().NewGroup(caption));
}
