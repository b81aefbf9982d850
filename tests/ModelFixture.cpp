#include "ModelFixture.h"
#include "DocumentSupport.h"

#include <algorithm>

void UseSmallCatalogues()
{
    InitCatalogues();
    AppCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Prontera", "prontera.gat"}));
    AppCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{"Izlude", "izlude.gat"}));
    AppCatalogues().Jobs.push_back(std::make_unique<TJob>(TJob{0, "Novice"}));
    AppCatalogues().Jobs.push_back(std::make_unique<TJob>(TJob{7, "Knight"}));
    for (std::int32_t id : {45, 111, 800}) {
        AppCatalogues().Sprites.push_back(std::make_unique<TNPCImg>(TNPCImg{id, static_cast<std::int32_t>(AppCatalogues().Sprites.size()), "Sprite " + std::to_string(id)}));
        AppCatalogues().MinSpriteID = std::min(AppCatalogues().MinSpriteID, static_cast<std::uint32_t>(id));
        AppCatalogues().MaxSpriteID = std::max(AppCatalogues().MaxSpriteID, static_cast<std::uint32_t>(id));
    }
    InitActions();
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
