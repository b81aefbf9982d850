// The INI catalogues (jobs, maps), the script variables, the lookups, the picker fillers and the
// two text checks every catalogue relies on.

#include "CatalogueTestSupport.h"
#include "catalogue/IniFile.h"

#include <cctype>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

// --- INI reading rules -------------------------------------------------------------------------

struct IniCase {
    const char* What;
    std::string Text;
    const char* Section;
    const char* Key;
    std::optional<std::string> Expected;  // nothing: the key is absent
};

void PrintTo(const IniCase& c, std::ostream* os)
{
    *os << c.What;
}

class IniRules : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniRules, LookUpAsTheCatalogueFilesExpect)
{
    const IniCase& c = GetParam();
    const TIniFile ini = TIniFile::Parse(c.Text);
    const std::string absent = "<absent>";
    EXPECT_EQ(ini.ReadString(c.Section, c.Key, absent), c.Expected.value_or(absent)) << c.What;
}

const std::string LongName(1000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Catalogues, IniRules,
    ::testing::Values(
        IniCase{"plain", "[Job1]\nName=Knight\n", "Job1", "Name", "Knight"},
        IniCase{"section and key ignore case", "[job1]\nNAME=Knight\n", "JOB1", "name", "Knight"},
        IniCase{"value after the first equals", "[A]\nName=a=b\n", "A", "Name", "a=b"},
        IniCase{"empty value", "[A]\nName=\n", "A", "Name", ""},
        IniCase{"blanks around key and value", "[A]\n  Name \t=  Iron Key \t\n", "A", "Name",
                "Iron Key"},
        IniCase{"blanks inside the brackets", "[ A ]\nName=x\n", "A", "Name", "x"},
        IniCase{"semicolon line is a comment", "[A]\n;Name=x\nName=y\n", "A", "Name", "y"},
        IniCase{"indented comment", "[A]\n   ; Name=x\n", "A", "Name", std::nullopt},
        IniCase{"semicolon inside a value is text", "[A]\nName=Knight ; the best\n", "A", "Name",
                "Knight ; the best"},
        IniCase{"colon is not a separator", "[A]\nName:x=y\n", "A", "Name", std::nullopt},
        IniCase{"colon key", "[A]\nName:x=y\n", "A", "Name:x", "y"},
        IniCase{"hash line is no comment but harmless", "[A]\n#Name=x\nName=y\n", "A", "Name",
                "y"},
        IniCase{"indented key is an ordinary key", "[A]\nID=7\n  Name=Knight\n", "A", "Name",
                "Knight"},
        IniCase{"indented key is not a continuation", "[A]\nID=7\n  Name=Knight\n", "A", "ID",
                "7"},
        IniCase{"indented section starts a section", "[A]\nID=7\n  [B]\nID=8\n", "B", "ID", "8"},
        IniCase{"indented section ends the last one", "[A]\nID=7\n  [B]\nID=8\n", "A", "ID", "7"},
        IniCase{"first value wins", "[A]\nName=first\nName=second\n", "A", "Name", "first"},
        IniCase{"repeated section keeps the first value", "[A]\nName=x\n[B]\n[a]\nName=y\n", "A",
                "Name", "x"},
        IniCase{"repeated section adds keys", "[A]\nName=x\n[B]\n[a]\nID=3\n", "A", "ID", "3"},
        IniCase{"key of another section", "[A]\nName=x\n[B]\n", "B", "Name", std::nullopt},
        IniCase{"key before any section", "Name=x\n[A]\n", "A", "Name", std::nullopt},
        IniCase{"line without equals is ignored", "[A]\nName\nID=1\n", "A", "Name", std::nullopt},
        IniCase{"long line kept whole", "[A]\nName=" + LongName + "ID=9\n", "A", "Name",
                LongName + "ID=9"},
        IniCase{"long line leaves no stray key", "[A]\nName=" + LongName + "ID=9\n", "A", "ID",
                std::nullopt},
        IniCase{"CR LF", "[A]\r\nName=x\r\n", "A", "Name", "x"},
        IniCase{"no line end at the end", "[A]\nName=x", "A", "Name", "x"},
        IniCase{"UTF-8 byte order mark", "\xEF\xBB\xBF[A]\nName=x\n", "A", "Name", "x"},
        IniCase{"bytes above 127 kept", "[A]\nName=Caf\xE9\n", "A", "Name", "Caf\xE9"}),
    [](const auto& info) { return ReadableName(info.param.What); });

TEST(IniFile, IntegersFollowParseIntDefAndCountsAreNeverNegative)
{
    const TIniFile ini = TIniFile::Parse("[A]\nID=42\nBad=4x\nCount=-3\n[B]\nCount=x\n[C]\nCount=5");
    EXPECT_EQ(ini.ReadInteger("A", "ID", 0), 42);
    EXPECT_EQ(ini.ReadInteger("A", "Bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("A", "Missing", -1), -1);
    EXPECT_EQ(ini.ReadCount("A"), 0);
    EXPECT_EQ(ini.ReadCount("B"), 0);
    EXPECT_EQ(ini.ReadCount("C"), 5);
    EXPECT_EQ(ini.ReadCount("D"), 0);
}

TEST(LineReader, SplitsAtLfAndDropsTheCrOfCrLf)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\rb\n", {"a\rb"}},  // a lone CR is part of the line
    };
    for (const auto& [text, expected] : cases) {
        TLineReader reader(text);
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.Next(line))
            lines.emplace_back(line);
        EXPECT_EQ(lines, expected) << "text: " << text;
    }
}

// --- Loaders of jobs.ini, maps.ini and npcs.ini ----------------------------------------------

struct IniCatalogue {
    const char* File;
    const char* Section;  // the section holding Count
    std::function<void(const std::filesystem::path&)> Load;
    std::function<std::size_t()> Size;
};

std::vector<IniCatalogue> IniCatalogues(TCatalogues& c)
{
    return {
        {"jobs.ini", "Jobs", [&c](const std::filesystem::path& dir) { c.LoadJobs(dir); }, [&c] { return c.Jobs.size(); }},
        {"maps.ini", "Maps", [&c](const std::filesystem::path& dir) { c.LoadMaps(dir); }, [&c] { return c.Maps.size(); }},
        {"npcs.ini", "NPCS", [&c](const std::filesystem::path& dir) { c.LoadNPCs(dir); }, [&c] { return c.Sprites.size(); }},
    };
}

struct EmptyCase {
    const char* What;
    std::optional<std::string> CountLine;  // nothing: no file at all
};

void PrintTo(const EmptyCase& c, std::ostream* os)
{
    *os << c.What;
}

class EmptyCatalogue : public CatalogueTest,
                       public ::testing::WithParamInterface<EmptyCase> {};

TEST_P(EmptyCatalogue, GivesNoEntries)
{
    for (const IniCatalogue& catalogue : IniCatalogues(Catalogues)) {
        Catalogues.Clear();
        std::filesystem::remove(Dir / catalogue.File);
        if (GetParam().CountLine)
            WriteFile(catalogue.File, std::string("[") + catalogue.Section + "]\n" +
                                          *GetParam().CountLine + "\n[Job1]\n[Map1]\n[NPC1]\nID=45\n");
        ASSERT_NO_THROW(catalogue.Load(Dir.Path())) << catalogue.File;
        EXPECT_EQ(catalogue.Size(), 0u) << catalogue.File;
    }
    EXPECT_EQ(Catalogues.MinSpriteID, 4294967295u);
    EXPECT_EQ(Catalogues.MaxSpriteID, 0u);
}

INSTANTIATE_TEST_SUITE_P(Catalogues, EmptyCatalogue,
                         ::testing::Values(EmptyCase{"missing file", std::nullopt},
                                           EmptyCase{"missing Count", "Other=3"},
                                           EmptyCase{"Count=0", "Count=0"},
                                           EmptyCase{"negative Count", "Count=-1"},
                                           EmptyCase{"very negative Count", "Count=-2147483648"},
                                           EmptyCase{"Count not a number", "Count=two"},
                                           EmptyCase{"Count too big for 32 bits",
                                                     "Count=4294967297"}),
                         [](const auto& info) {
                             std::string name = info.param.What;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST_F(CatalogueTest, IniFileThatExistsButCannotBeReadIsAnError)
{
    // Only a missing file reads as empty; one that is there but unreadable must not pass for
    // an empty catalogue.
    std::filesystem::create_directory(Dir / "jobs.ini");
    try {
        Catalogues.LoadJobs(Dir.Path());
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        const std::string prefix = (Dir / "jobs.ini").string() + ": ";
        EXPECT_EQ(std::string(error.what()).substr(0, prefix.size()), prefix);
    }
    EXPECT_TRUE(Catalogues.Jobs.empty());
}

TEST_F(CatalogueTest, AbsurdCountIsAnErrorNamingTheFile)
{
    // Taken at its word, a count of two billion would build entries until memory runs out.
    for (const IniCatalogue& catalogue : IniCatalogues(Catalogues)) {
        Catalogues.Clear();
        WriteFile(catalogue.File, std::string("[") + catalogue.Section + "]\nCount=2147483647\n");
        try {
            catalogue.Load(Dir.Path());
            ADD_FAILURE() << "no error for " << catalogue.File;
        } catch (const EInOutError& error) {
            EXPECT_EQ(std::string(error.what()),
                      (Dir / catalogue.File).string() + ": [" + catalogue.Section +
                          "] Count=2147483647 is more than the 65535 entries a catalogue can hold");
        }
        EXPECT_EQ(catalogue.Size(), 0u) << catalogue.File;
    }
}

TEST_F(CatalogueTest, LargestCountStillLoads)
{
    WriteFile("jobs.ini", "[Jobs]\nCount=65535\n[Job65535]\nID=7\nName=Knight\n");
    Catalogues.LoadJobs(Dir.Path());
    ASSERT_EQ(Catalogues.Jobs.size(), 65535u);
    EXPECT_EQ(Catalogues.Jobs.front()->Name, "error");
    EXPECT_EQ(Catalogues.Jobs.back()->Name, "Knight");
}

TEST_F(CatalogueTest, JobWithoutNameIsCalledError)
{
    WriteFile("jobs.ini", "[Jobs]\nCount=2\n[Job1]\nID=0\nName=Novice\n[Job2]\nID=7\n");
    Catalogues.LoadJobs(Dir.Path());
    ASSERT_EQ(Catalogues.Jobs.size(), 2u);
    EXPECT_EQ(Catalogues.Jobs[0]->ID, 0);
    EXPECT_EQ(Catalogues.Jobs[0]->Name, "Novice");
    EXPECT_EQ(Catalogues.Jobs[1]->ID, 7);
    EXPECT_EQ(Catalogues.Jobs[1]->Name, "error");
}

TEST_F(CatalogueTest, CountGovernsEvenWhenSectionsAreMissing)
{
    WriteFile("jobs.ini", "[jobs]\ncount=3\n[job2]\nid=12\nname=Assassin\n[Job9]\nID=9\n");
    Catalogues.LoadJobs(Dir.Path());
    ASSERT_EQ(Catalogues.Jobs.size(), 3u);
    EXPECT_EQ(Catalogues.Jobs[0]->ID, 0);
    EXPECT_EQ(Catalogues.Jobs[0]->Name, "error");
    EXPECT_EQ(Catalogues.Jobs[1]->ID, 12);
    EXPECT_EQ(Catalogues.Jobs[1]->Name, "Assassin");
    EXPECT_EQ(Catalogues.Jobs[2]->Name, "error");
}

TEST_F(CatalogueTest, MapsKeepFileOrderAndDefaultToEmptyTexts)
{
    WriteFile("maps.ini", "[Maps]\nCount=3\n[Map1]\nName=Prontera\nMap=prontera.gat\n"
                          "[Map2]\nMap=izlude.gat\n[Map3]\nName=Geffen\n");
    Catalogues.LoadMaps(Dir.Path());
    ASSERT_EQ(Catalogues.Maps.size(), 3u);
    EXPECT_EQ(Catalogues.Maps[0]->Name, "Prontera");
    EXPECT_EQ(Catalogues.Maps[0]->MapFile, "prontera.gat");
    EXPECT_EQ(Catalogues.Maps[1]->Name, "");
    EXPECT_EQ(Catalogues.Maps[1]->MapFile, "izlude.gat");
    EXPECT_EQ(Catalogues.Maps[2]->Name, "Geffen");
    EXPECT_EQ(Catalogues.Maps[2]->MapFile, "");
}

TEST_F(CatalogueTest, CrLfFilesLoadLikeLfFiles)
{
    const std::string jobs = "[Jobs]\nCount=2\n[Job1]\nID=1\nName=Swordman\n[Job2]\nID=2\nName=Mage\n";
    const std::string maps = "[Maps]\nCount=1\n[Map1]\nName=Prontera\nMap=prontera.gat\n";
    WriteFile("jobs.ini", WithCrLf(jobs));
    WriteFile("maps.ini", WithCrLf(maps));
    Catalogues.LoadJobs(Dir.Path());
    Catalogues.LoadMaps(Dir.Path());
    ASSERT_EQ(Catalogues.Jobs.size(), 2u);
    EXPECT_EQ(Catalogues.Jobs[1]->ID, 2);
    EXPECT_EQ(Catalogues.Jobs[1]->Name, "Mage");
    ASSERT_EQ(Catalogues.Maps.size(), 1u);
    EXPECT_EQ(Catalogues.Maps[0]->Name, "Prontera");
    EXPECT_EQ(Catalogues.Maps[0]->MapFile, "prontera.gat");
}

TEST_F(CatalogueTest, LoadersAppendAndClearStartsOver)
{
    WriteFile("jobs.ini", "[Jobs]\nCount=1\n[Job1]\nID=7\nName=Knight\n");
    Catalogues.LoadJobs(Dir.Path());
    Catalogues.LoadJobs(Dir.Path());
    EXPECT_EQ(Catalogues.Jobs.size(), 2u);

    Catalogues.Clear();
    EXPECT_TRUE(Catalogues.Jobs.empty());
    EXPECT_TRUE(Catalogues.Maps.empty());
    EXPECT_TRUE(Catalogues.Items.empty());
    EXPECT_TRUE(Catalogues.Sprites.empty());
    EXPECT_EQ(Catalogues.Images.Count(), 0);
    EXPECT_EQ(ScriptVariables().size(), 8u);
}

// --- Variables, lookups and fillers ------------------------------------------------------------

TEST_F(CatalogueTest, VariablesAreTheServersEightInTheirFixedOrder)
{
    const std::vector<std::pair<std::string, ParamTypes>> expected = {
        {"Class", PT_Job},         {"Zeny", PT_Amount},   {"BaseLevel", PT_Amount},
        {"JobLevel", PT_Amount},   {"Sex", PT_Sex},       {"StatusPoint", PT_Amount},
        {"Weight", PT_Amount},     {"MaxWeight", PT_Amount},
    };
    ASSERT_EQ(ScriptVariables().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ScriptVariables()[i].Name, expected[i].first) << i;
        EXPECT_EQ(ScriptVariables()[i].ValueKind, expected[i].second) << i;
        EXPECT_EQ(ScriptVariables()[i].Reserved, 0) << i;
    }
}

TEST_F(CatalogueTest, VariableLookups)
{
    EXPECT_EQ(FindVariable("Zeny"), &ScriptVariables()[1]);
    EXPECT_EQ(FindVariable("zeny"), nullptr);
    EXPECT_EQ(FindVariable("ZENY"), nullptr);
    EXPECT_EQ(FindVariable(""), nullptr);
    EXPECT_EQ(VariableAt(-1), nullptr);
    EXPECT_EQ(VariableAt(7), &ScriptVariables()[7]);
    EXPECT_THROW(VariableAt(8), EListError);
    EXPECT_THROW(VariableAt(-2), EListError);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(IndexOfVariable(VariableAt(i)), i);
    EXPECT_EQ(IndexOfVariable(nullptr), -1);
    const TVariable stranger{0, PT_Amount, "Zeny"};
    EXPECT_EQ(IndexOfVariable(&stranger), -1);
}

TEST_F(CatalogueTest, MapLookups)
{
    WriteFile("maps.ini", "[Maps]\nCount=3\n[Map1]\nName=Izlude\nMap=izlude.gat\n"
                          "[Map2]\nName=Prontera\nMap=PRONTERA.GAT\n"
                          "[Map3]\nName=Copy\nMap=prontera.gat\n");
    Catalogues.LoadMaps(Dir.Path());
    EXPECT_EQ(Catalogues.FindMap("prontera.gat"), Catalogues.Maps[1].get());
    EXPECT_EQ(Catalogues.FindMap("Prontera.Gat"), Catalogues.Maps[1].get());
    EXPECT_EQ(Catalogues.FindMap("IZLUDE.GAT"), Catalogues.Maps[0].get());
    EXPECT_EQ(Catalogues.FindMap("prontera"), nullptr);
    EXPECT_EQ(Catalogues.FindMap(""), nullptr);
    EXPECT_EQ(Catalogues.IndexOfMap(Catalogues.FindMap("prontera.gat")), 1);
    EXPECT_EQ(Catalogues.IndexOfMap(nullptr), -1);
    EXPECT_EQ(Catalogues.MapAt(2), Catalogues.Maps[2].get());
    EXPECT_THROW(Catalogues.MapAt(3), EListError);
    EXPECT_THROW(Catalogues.MapAt(-1), EListError);
    EXPECT_TRUE(Catalogues.IsMapIndex(0));
    EXPECT_TRUE(Catalogues.IsMapIndex(2));
    EXPECT_FALSE(Catalogues.IsMapIndex(3));
    EXPECT_FALSE(Catalogues.IsMapIndex(-1));
}

TEST_F(CatalogueTest, LookupsOverEmptyCataloguesFindNothing)
{
    EXPECT_EQ(Catalogues.FindJob(0), nullptr);
    EXPECT_EQ(Catalogues.FindMap("prontera.gat"), nullptr);
    EXPECT_EQ(Catalogues.FindNPCImg(45), nullptr);
    EXPECT_FALSE(Catalogues.IsMapIndex(0));
    EXPECT_THROW(Catalogues.MapAt(0), EListError);
}

TEST_F(CatalogueTest, FindJobTakesTheFirstWithTheId)
{
    WriteFile("jobs.ini", "[Jobs]\nCount=3\n[Job1]\nID=18\nName=Alchemist\n"
                          "[Job2]\nID=7\nName=Knight\n[Job3]\nID=18\nName=Alchem\n");
    Catalogues.LoadJobs(Dir.Path());
    EXPECT_EQ(Catalogues.FindJob(18), Catalogues.Jobs[0].get());
    EXPECT_EQ(Catalogues.FindJob(7), Catalogues.Jobs[1].get());
    EXPECT_EQ(Catalogues.FindJob(8), nullptr);
}

TEST_F(CatalogueTest, FillersAppendBehindWhatIsThereInOneUpdate)
{
    WriteFile("jobs.ini", "[Jobs]\nCount=2\n[Job1]\nID=0\nName=Novice\n[Job2]\nID=7\nName=Knight\n");
    WriteFile("maps.ini", "[Maps]\nCount=1\n[Map1]\nName=Prontera\nMap=prontera.gat\n");
    Catalogues.LoadJobs(Dir.Path());
    Catalogues.LoadMaps(Dir.Path());
    const int marker = 0;

    struct Filler {
        std::function<void(TStrings&)> Fill;
        std::vector<std::pair<std::string, const void*>> Expected;
    };
    const std::vector<Filler> fillers = {
        {[this](TStrings& strings) { Catalogues.FillJobList(strings); },
         {{"Novice", Catalogues.Jobs[0].get()}, {"Knight", Catalogues.Jobs[1].get()}}},
        {[this](TStrings& strings) { Catalogues.FillMapList(strings); }, {{"Prontera", Catalogues.Maps[0].get()}}},
        {FillVariableList,
         {{"Don't use", nullptr}, {"Class", &ScriptVariables()[0]}, {"Zeny", &ScriptVariables()[1]},
          {"BaseLevel", &ScriptVariables()[2]}, {"JobLevel", &ScriptVariables()[3]},
          {"Sex", &ScriptVariables()[4]}, {"StatusPoint", &ScriptVariables()[5]},
          {"Weight", &ScriptVariables()[6]}, {"MaxWeight", &ScriptVariables()[7]}}},
    };
    for (const Filler& filler : fillers) {
        TStringList strings;
        strings.AddObject("already there", &marker);
        filler.Fill(strings);
        ASSERT_EQ(strings.Items.size(), filler.Expected.size() + 1);
        EXPECT_EQ(strings.Items[0].Text, "already there");
        EXPECT_EQ(strings.Items[0].Object, &marker);
        for (std::size_t i = 0; i < filler.Expected.size(); ++i) {
            EXPECT_EQ(strings.Items[i + 1].Text, filler.Expected[i].first);
            EXPECT_EQ(strings.Items[i + 1].Object, filler.Expected[i].second);
        }
        EXPECT_EQ(strings.UpdateDepth, 0);
        EXPECT_EQ(strings.Updates, 1);
    }
}

// A picker that refuses its second entry, as a full or broken control might.
class TRefusingStrings final : public TStrings {
public:
    int Depth = 0;
    int Added = 0;
    void BeginUpdate() override { ++Depth; }
    void EndUpdate() override { --Depth; }
    void AddObject(const std::string&, const void*) override
    {
        if (++Added == 2)
            throw std::runtime_error("no room");
    }
};

TEST_F(CatalogueTest, FillerEndsItsUpdateWhenAddingFails)
{
    TRefusingStrings strings;
    EXPECT_THROW(FillVariableList(strings), std::runtime_error);
    EXPECT_EQ(strings.Depth, 0);
}

// --- ParseIntDef and IsPlainName ---------------------------------------------------------------

TEST(ParseIntDef, ReadsSignedDecimalsAndNothingElse)
{
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"0", 0},
        {"42", 42},
        {"007", 7},
        {"-45", -45},
        {"+7", 7},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"   12", 12},
        {" -3", -3},
        {"", 99},
        {" ", 99},
        {"-", 99},
        {"+", 99},
        {"+-5", 99},
        {"--5", 99},
        {"12 ", 99},
        {"\t12", 99},
        {"1.5", 99},
        {"1,000", 99},
        {"0x1F", 99},
        {"$FF", 99},
        {"1e3", 99},
        {"abc", 99},
        {"12abc", 99},
        {"2147483648", 99},
        {"-2147483649", 99},
        {"99999999999999999999", 99},
        {std::string("1\0" "2", 3), 99},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseIntDef(text, 99), expected) << "text: \"" << text << "\"";
}

TEST(IsPlainName, LettersDigitsBlankApostropheAndHyphenOnly)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"", true},
        {"Iron Key", true},
        {"Monster's Feed", true},
        {"Hinalle Leaflet", true},
        {"Red-Potion 2", true},
        {"   ", true},
        {"Iron_Key", false},
        {"Ph.D Hat", false},
        {"STR+1", false},
        {"Written Request(A)", false},
        {"Gift Box?", false},
        {"Name:2", false},
        {"Caf\xE9", false},
        {"Tab\tName", false},
        {"Quote\"", false},
        {std::string("Nul\0", 4), false},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(IsPlainName(text), expected) << "text: \"" << text << "\"";
}

TEST(IsPlainName, EveryByteValueAnywhereInShortAndLongNames)
{
    // Names are checked in blocks from sixteen characters on, so every byte value is tried at
    // the start, inside and at the end of names of many lengths, blocks and overlaps included.
    const auto plain = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == ' ' || c == '\'' || c == '-';
    };
    for (std::size_t length : {1, 2, 15, 16, 17, 31, 32, 33, 47, 50}) {
        for (std::size_t position : {std::size_t{0}, length / 2, length - 1}) {
            for (int c = 0; c < 256; ++c) {
                std::string name(length, 'k');
                name[position] = static_cast<char>(c);
                ASSERT_EQ(IsPlainName(name), plain(static_cast<unsigned char>(c)))
                    << "byte " << c << " at " << position << " of " << length;
            }
        }
    }
}

}  // namespace
