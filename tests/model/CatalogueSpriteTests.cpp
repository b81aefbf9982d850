// The sprite catalogue with its preview pictures, and the sample catalogues shipped in data/.

#include "CatalogueTestSupport.h"

#include <QImageReader>

#include <fstream>
#include <set>
#include <sstream>

namespace {

const QColor White(255, 255, 255);
const QColor Red(200, 30, 40);

std::string NpcsIni(const std::vector<std::pair<std::string, std::string>>& sprites)
{
    std::string text = "[NPCS]\nCount=" + std::to_string(sprites.size()) + "\n";
    for (std::size_t i = 0; i < sprites.size(); ++i)
        text += "[NPC" + std::to_string(i + 1) + "]\nID=" + sprites[i].first +
                "\nName=" + sprites[i].second + "\n";
    return text;
}

TEST_F(CatalogueTest, SpriteRangeCoversTheIdsRead)
{
    WriteFile("npcs.ini", NpcsIni({{"45", "Warp Portal"}, {"800", "Guard"}, {"111", "Invisible"}}));
    for (const char* id : {"45", "800", "111"})
        WriteBitmap(id, 40, 40);
    Catalogues.LoadNPCs(Dir.Path());

    EXPECT_EQ(Catalogues.MinSpriteID, 45u);
    EXPECT_EQ(Catalogues.MaxSpriteID, 800u);
    ASSERT_EQ(Catalogues.Sprites.size(), 3u);
    const std::vector<std::pair<std::int32_t, std::string>> expected = {
        {45, "Warp Portal"}, {800, "Guard"}, {111, "Invisible"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Catalogues.Sprites[i]->ID, expected[i].first);
        EXPECT_EQ(Catalogues.Sprites[i]->Name, expected[i].second);
        EXPECT_EQ(Catalogues.Sprites[i]->ImageIndex, static_cast<std::int32_t>(i));
    }
    EXPECT_EQ(Catalogues.Images.Count(), 3);
    EXPECT_EQ(Catalogues.FindNPCImg(800), Catalogues.Sprites[1].get());
    EXPECT_EQ(Catalogues.FindNPCImg(46), nullptr);
}

TEST_F(CatalogueTest, SpriteIdsCompareAsUnsigned)
{
    // -1 is 4294967295 to the server, so it is the highest ID and its bitmap is named so.
    WriteFile("npcs.ini", NpcsIni({{"-1", "Floating"}, {"45", "Warp Portal"}}));
    WriteBitmap("4294967295", 10, 10);
    WriteBitmap("45", 10, 10);
    Catalogues.LoadNPCs(Dir.Path());
    EXPECT_EQ(Catalogues.MinSpriteID, 45u);
    EXPECT_EQ(Catalogues.MaxSpriteID, 4294967295u);
    EXPECT_EQ(Catalogues.Sprites[0]->ID, -1);
}

TEST_F(CatalogueTest, SpritesFromCrLfFileAndDefaults)
{
    WriteFile("npcs.ini", WithCrLf("[NPCS]\nCount=2\n[NPC1]\nID=113\nName=Kafra\n[NPC2]\n"));
    WriteBitmap("113", 10, 10);
    WriteBitmap("0", 10, 10);  // [NPC2] has no ID key: sprite 0
    Catalogues.LoadNPCs(Dir.Path());
    ASSERT_EQ(Catalogues.Sprites.size(), 2u);
    EXPECT_EQ(Catalogues.Sprites[0]->Name, "Kafra");
    EXPECT_EQ(Catalogues.Sprites[1]->ID, 0);
    EXPECT_EQ(Catalogues.Sprites[1]->Name, "");
    EXPECT_EQ(Catalogues.MinSpriteID, 0u);
    EXPECT_EQ(Catalogues.MaxSpriteID, 113u);
}

// Where a bitmap of the given size lands on its 100 x 128 picture.
struct PlacementCase {
    int Width;
    int Height;
    QRect Expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os)
{
    *os << c.Width << " x " << c.Height;
}

class SpritePlacement : public CatalogueTest,
                        public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(SpritePlacement, BitmapIsCentredAndFitted)
{
    const PlacementCase& c = GetParam();
    WriteFile("npcs.ini", NpcsIni({{"113", "Kafra"}}));
    WriteBitmap("113", c.Width, c.Height, Red);
    Catalogues.LoadNPCs(Dir.Path());

    const QImage& picture = Catalogues.Images.At(0);
    ASSERT_EQ(picture.size(), QSize(100, 128));
    EXPECT_FALSE(picture.hasAlphaChannel());
    const QRect r = c.Expected;
    // The corners of the bitmap's area carry its colour, the pixels just outside are background.
    const std::vector<QPoint> inside = {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight(),
                                        r.center()};
    for (const QPoint& p : inside)
        EXPECT_EQ(picture.pixelColor(p), Red) << p.x() << "," << p.y();
    const std::vector<QPoint> outside = {r.topLeft() - QPoint(1, 0), r.topLeft() - QPoint(0, 1),
                                         r.bottomRight() + QPoint(1, 0),
                                         r.bottomRight() + QPoint(0, 1)};
    for (const QPoint& p : outside) {
        if (picture.rect().contains(p)) {
            EXPECT_EQ(picture.pixelColor(p), White) << p.x() << "," << p.y();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, SpritePlacement,
    ::testing::Values(PlacementCase{50, 60, QRect(25, 34, 50, 60)},
                      PlacementCase{51, 61, QRect(24, 33, 51, 61)},  // halves rounded down
                      PlacementCase{1, 1, QRect(49, 63, 1, 1)},
                      PlacementCase{100, 128, QRect(0, 0, 100, 128)},
                      PlacementCase{200, 128, QRect(0, 32, 100, 64)},   // too wide
                      PlacementCase{50, 256, QRect(37, 0, 25, 128)},    // too tall
                      PlacementCase{400, 512, QRect(0, 0, 100, 128)},   // same shape, bigger
                      PlacementCase{1000, 2, QRect(0, 63, 100, 1)}),  // a strip stays visible
    [](const auto& info) {
        return std::to_string(info.param.Width) + "x" + std::to_string(info.param.Height);
    });

TEST_F(CatalogueTest, MissingBitmapIsAnErrorNamingTheFile)
{
    WriteFile("npcs.ini", NpcsIni({{"45", "Warp Portal"}, {"113", "Kafra"}, {"800", "Guard"}}));
    WriteBitmap("45", 10, 10);
    WriteBitmap("800", 10, 10);
    try {
        Catalogues.LoadNPCs(Dir.Path());
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(std::string(error.what()),
                  (Dir / "npcs" / "113.bmp").string() + ": File not found");
    }
    // What was read before the failure stays, and the range only covers sprites in the list.
    ASSERT_EQ(Catalogues.Sprites.size(), 1u);
    EXPECT_EQ(Catalogues.Images.Count(), 1);
    EXPECT_EQ(Catalogues.MinSpriteID, 45u);
    EXPECT_EQ(Catalogues.MaxSpriteID, 45u);
}

TEST_F(CatalogueTest, BrokenBitmapIsAnErrorWithTheReadersReason)
{
    WriteFile("npcs.ini", NpcsIni({{"45", "Warp Portal"}}));
    WriteBytes(Dir / "npcs" / "45.bmp", "BM this is not a bitmap");
    try {
        Catalogues.LoadNPCs(Dir.Path());
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        const std::string prefix = (Dir / "npcs" / "45.bmp").string() + ": ";
        const std::string message = error.what();
        EXPECT_EQ(message.substr(0, prefix.size()), prefix);
        EXPECT_GT(message.size(), prefix.size()) << "no reason given";
    }
    EXPECT_TRUE(Catalogues.Sprites.empty());
}

TEST(ImageList, TakesOnlyPicturesOfItsSizeAndChecksIndexes)
{
    TImageList list(100, 128);
    EXPECT_THROW(list.Add(QImage(100, 127, QImage::Format_RGB32)), std::invalid_argument);
    EXPECT_EQ(list.Add(QImage(100, 128, QImage::Format_RGB32)), 0);
    EXPECT_EQ(list.Add(QImage(100, 128, QImage::Format_RGB32)), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_NO_THROW(list.At(1));
    EXPECT_THROW(list.At(2), EListError);
    EXPECT_THROW(list.At(-1), EListError);
}

// --- The sample catalogues shipped with the editor ---------------------------------------------

std::filesystem::path ShippedData()
{
    return SourceDir() / "data";
}

TEST_F(CatalogueTest, ShippedCataloguesLoad)
{
    ASSERT_NO_THROW(Catalogues.LoadNPCs(ShippedData()));
    ASSERT_NO_THROW(Catalogues.LoadItems(ShippedData()));
    Catalogues.LoadJobs(ShippedData());
    Catalogues.LoadMaps(ShippedData());

    EXPECT_GE(Catalogues.Sprites.size(), 20u);
    EXPECT_GE(Catalogues.Items.size(), 300u);
    // The play-test adds each kind the server does not stack one at a time: the sample holds
    // weapons, armour, pet eggs and pet accessories, each with its database name.
    std::set<std::int32_t> types;
    for (const auto& item : Catalogues.Items) {
        types.insert(item->Type);
        EXPECT_FALSE(item->DbName.empty()) << item->ID;
    }
    for (std::int32_t type : {0, 2, 3, 4, 5, 6, 7, 8})
        EXPECT_TRUE(types.count(type)) << "no item of type " << type;
    EXPECT_GE(Catalogues.Maps.size(), 60u);
    EXPECT_GE(Catalogues.Jobs.size(), 60u);
    EXPECT_NE(Catalogues.FindMap("prontera.gat"), nullptr);
    EXPECT_NE(Catalogues.FindNPCImg(45), nullptr);
    EXPECT_EQ(Catalogues.MinSpriteID, 45u);
    EXPECT_EQ(Catalogues.Images.Count(), static_cast<int>(Catalogues.Sprites.size()));

    std::set<std::int32_t> jobIds;
    for (const auto& job : Catalogues.Jobs) {
        EXPECT_TRUE(jobIds.insert(job->ID).second) << "job ID twice: " << job->ID;
        EXPECT_NE(job->Name, "error");
    }
    for (const auto& map : Catalogues.Maps) {
        EXPECT_FALSE(map->Name.empty()) << map->MapFile;
        EXPECT_EQ(map->MapFile.substr(map->MapFile.size() - 4), ".gat") << map->MapFile;
    }
    std::set<std::int32_t> itemIds;
    for (const auto& item : Catalogues.Items)
        EXPECT_TRUE(itemIds.insert(item->ID).second) << "item ID twice: " << item->ID;
    EXPECT_TRUE(std::any_of(Catalogues.Items.begin(), Catalogues.Items.end(),
                            [](const auto& item) { return item->Slots != 0; }));
}

TEST(ShippedCatalogues, EverySpriteHasASmallTrueColourBitmap)
{
    TCatalogues Catalogues;
    Catalogues.LoadNPCs(ShippedData());
    std::set<QSize, bool (*)(const QSize&, const QSize&)> sizes(
        [](const QSize& a, const QSize& b) {
            return a.width() != b.width() ? a.width() < b.width() : a.height() < b.height();
        });
    for (const auto& sprite : Catalogues.Sprites) {
        const std::filesystem::path path =
            ShippedData() / "npcs" / (std::to_string(sprite->ID) + ".bmp");
        QImageReader reader(QString::fromStdString(path.string()));
        EXPECT_EQ(reader.format(), "bmp") << path;
        const QSize size = reader.size();
        EXPECT_LE(size.width(), 100) << path;
        EXPECT_LE(size.height(), 128) << path;
        sizes.insert(size);
        const std::string bytes = ReadBytes(path);
        ASSERT_GE(bytes.size(), 30u) << path;
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24) << "bits per pixel of " << path;
    }
    EXPECT_GE(sizes.size(), 4u) << "the samples should come in various sizes";
}

// The shipped samples hold the server's facts: every job constant, real maps, real item lines.
TEST(ShippedCatalogues, AgreeWithTheServerData)
{
    SKIP_WITHOUT_SHARED_DATA(dataDir);
    TCatalogues Catalogues;
    Catalogues.LoadJobs(ShippedData());
    Catalogues.LoadMaps(ShippedData());

    std::ifstream constants(dataDir / "const.txt");
    std::set<std::int32_t> serverJobIds;
    for (std::string line; std::getline(constants, line);) {
        std::istringstream fields(line);
        std::string name;
        std::int32_t id = 0;
        if (line.rfind("Job_", 0) == 0 && fields >> name >> id)
            serverJobIds.insert(id);
    }
    std::set<std::int32_t> shippedJobIds;
    for (const auto& job : Catalogues.Jobs)
        shippedJobIds.insert(job->ID);
    EXPECT_EQ(shippedJobIds, serverJobIds);

    std::ifstream index(dataDir / "map_index.txt");
    std::set<std::string> serverMaps;
    for (std::string line; std::getline(index, line);) {
        std::istringstream fields(line);
        std::string name;
        if (line.rfind("//", 0) != 0 && fields >> name)
            serverMaps.insert(name + ".gat");
    }
    for (const auto& map : Catalogues.Maps)
        EXPECT_TRUE(serverMaps.count(map->MapFile)) << map->MapFile << " is not a server map";

    const std::string serverItems = ReadBytes(dataDir / "item_db.txt");
    std::istringstream shipped(ReadBytes(ShippedData() / "item_db.txt"));
    int records = 0;
    for (std::string line; std::getline(shipped, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '/')
            continue;
        ++records;
        EXPECT_NE(serverItems.find("\n" + line + "\n"), std::string::npos) << line;
    }
    EXPECT_GE(records, 300);
}

}  // namespace
