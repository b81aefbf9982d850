#pragma once
// The script colouring scanner: splits one line of script text into tokens and gives each its
// colour. It knows the dialect only through the nine keywords and the names the model holds
// (action commands, variable names, group labels), so it lives beside the model: the output
// window, the manual-code editor and the HTML exporter all colour through it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class TTaskList;

struct TRgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;

    bool operator==(const TRgb&) const = default;
};

inline constexpr TRgb ColourYellow{255, 255, 0};
inline constexpr TRgb ColourWhite{255, 255, 255};
inline constexpr TRgb ColourSkyBlue{166, 202, 240};
inline constexpr TRgb ColourLime{0, 255, 0};
inline constexpr TRgb ColourAqua{0, 255, 255};
inline constexpr TRgb ColourRed{255, 0, 0};
inline constexpr TRgb ColourSilver{192, 192, 192};
// The script views draw yellow text on navy.
inline constexpr TRgb ColourNavy{0, 0, 128};
inline constexpr TRgb ScriptBackground = ColourNavy;
inline constexpr TRgb ScriptTextColour = ColourYellow;

inline constexpr std::array<std::string_view, 9> KeywordList{
    "if", "menu", "mes", "goto", "next", "close", "script", "shop", "set"};

// Exact, case-sensitive.
bool IsKeyword(std::string_view word);

// One coloured token of a line, counted in bytes from the start of the line.
struct TColourRange {
    int Start = 0;
    int Length = 0;
    // None: a word no lookup knows, drawn in the control's own text colour.
    std::optional<TRgb> Colour;

    bool operator==(const TColourRange&) const = default;
};

// What the model knows about words, taken at one moment: the keywords, the action catalogue's
// commands, the variable names and the labels of a project's groups (entry and exit labels,
// numbers printed unsigned). Colouring a whole script asks it once per word, so it is built once
// per pass instead of walking the task list for every label-shaped word.
class TWordLookup {
public:
    // The catalogues' words and the labels of the groups in tasks.
    static TWordLookup FromModel(const TTaskList& tasks);
    // The catalogues' words alone.
    static TWordLookup FromCatalogues();
    // The colour of a word token; none when the word is plain.
    std::optional<TRgb> WordColour(std::string_view word) const;
    // The words that this lookup and other colour differently (or that only one of them knows).
    std::vector<std::string> WordsColouredOtherwise(const TWordLookup& other) const;
    // Whether FromModel(tasks) would give this lookup: its groups' labels are the same.
    bool HasLabelsOf(const TTaskList& tasks) const;

private:
    // What the labels were made from: each group's number and label name, in list order.
    std::vector<std::pair<std::int32_t, std::string>> Labels_;
    struct THash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, TRgb, THash, std::equal_to<>> Colours_;
};

// Every token of line with its colour, in order. Tabs, line feeds and carriage returns between
// tokens get no range.
std::vector<TColourRange> ScanLine(std::string_view line, const TWordLookup& words);
// The same for a line of a text whose "/* ... */" comments may run over several lines: the line
// starts inside one when openComment is set, which on return says whether it ends inside one.
std::vector<TColourRange> ScanLine(std::string_view line, const TWordLookup& words, bool& openComment);
// The same with the catalogues' words alone (no group labels).
std::vector<TColourRange> ScanLine(std::string_view line);

// A run of a message line drawn in one colour. The game client reads "^RRGGBB" (six hex digits)
// inside a message as the colour of the text after it, and does not show the code; anything else
// after a caret is plain text.
struct TColouredText {
    std::string Text;
    std::optional<TRgb> Colour;  // none: the dialogue's own text colour, before any code
    bool operator==(const TColouredText&) const = default;
};
std::vector<TColouredText> SplitColourCodes(std::string_view message);
