#pragma once
// The small catalogues the window tests fill in place before they make a document or a window,
// one set for each family of tests (what their assertions count on: which jobs, which maps in
// which order, which sprites), built from the same few entries.

#include "DocumentSupport.h"
#include "catalogue/Catalogues.h"
#include "model/Records.h"

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace cataloguetest {

inline void AddJob(std::int32_t id, const std::string& name)
{
    TestCatalogues().Jobs.push_back(std::make_unique<TJob>(TJob{id, name}));
}

inline void AddMap(const std::string& name, const std::string& file)
{
    TestCatalogues().Maps.push_back(std::make_unique<TMap>(TMap{name, file}));
}

inline const TItem* AddItem(std::int32_t id, const std::string& name, std::int32_t slotCount = 0,
                            std::int32_t price = 0)
{
    auto item = std::make_unique<TItem>();
    item->ID = id;
    item->Name = name;
    item->Slots = slotCount;
    item->Price = price;
    TestCatalogues().Items.push_back(std::move(item));
    return TestCatalogues().Items.back().get();
}

// A sprite with a plain picture of its own colour, as the loader leaves it.
inline void AddSprite(std::int32_t id, const std::string& name)
{
    QImage picture(SpriteImageWidth, SpriteImageHeight, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv((id * 37) % 360, 160, 200));
    auto sprite = std::make_unique<TNPCImg>();
    sprite->ID = id;
    sprite->Name = name;
    sprite->ImageIndex = TestCatalogues().Images.Add(picture);
    TestCatalogues().Sprites.push_back(std::move(sprite));
    TestCatalogues().MinSpriteID = std::min(TestCatalogues().MinSpriteID, static_cast<std::uint32_t>(id));
    TestCatalogues().MaxSpriteID = std::max(TestCatalogues().MaxSpriteID, static_cast<std::uint32_t>(id));
}

// For the task editors: jobs Novice (0), Swordman (1), Knight (7); maps Prontera and Geffen; a few
// items; a new project with its group "Start".
inline void SetUpEditorCatalogues()
{
    TestCatalogues().Clear();
    AddJob(0, "Novice");
    AddJob(1, "Swordman");
    AddJob(7, "Knight");
    AddMap("Prontera", "prontera.gat");
    AddMap("Geffen", "geffen.gat");
    AddItem(501, "Red Potion", 0, 50);
    AddItem(1201, "Knife", 3, 50);
    AddItem(2104, "Buckler", 2, 14000);
    ResetTestDocument();
}

// For the frame windows: maps Geffen, Prontera (second, so that the default map is not simply the
// first) and Payon; sprites 45 (Guide), 800 (Kafra) and 111 (Merchant), in that order; a new project.
inline void SetUpFrameCatalogues()
{
    TestCatalogues().Clear();
    AddMap("Geffen", "geffen.gat");
    AddMap("Prontera", "prontera.gat");
    AddMap("Payon", "payon.gat");
    AddSprite(45, "Guide");
    AddSprite(800, "Kafra");
    AddSprite(111, "Merchant");
    ResetTestDocument();
}

// For the task tree and output windows: what the script writer reads, one map, and a new project.
inline void SetUpTaskWindowCatalogues()
{
    TestCatalogues().Clear();
    AddMap("Prontera", "prontera.gat");
    ResetTestDocument();
}

} // namespace cataloguetest
