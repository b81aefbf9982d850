#include "script/LoaderChecks.h"

#include "script/Text.h"

#include <cctype>
#include <climits>
#include <optional>
#include <string>

namespace script {
namespace {

// Reads a field the way the servers' sscanf formats do: `%d` skips blanks and takes a sign and
// digits; a literal character must be next; `%[^,]` takes at least one byte up to a comma.
class TScan {
public:
    explicit TScan(std::string_view text) : Text_(text) {}

    std::optional<long long> Int()
    {
        while (At_ < Text_.size() && std::isspace(static_cast<unsigned char>(Text_[At_])))
            ++At_;
        std::size_t end = At_;
        if (end < Text_.size() && (Text_[end] == '-' || Text_[end] == '+'))
            ++end;
        const std::size_t digits = end;
        while (end < Text_.size() && std::isdigit(static_cast<unsigned char>(Text_[end])) && end - digits < 18)
            ++end;
        if (end == digits)
            return std::nullopt;
        const long long value = std::stoll(std::string(Text_.substr(At_, end - At_)));
        At_ = end;
        return value;
    }
    bool Literal(char c)
    {
        if (At_ >= Text_.size() || Text_[At_] != c)
            return false;
        ++At_;
        return true;
    }
    bool UpToComma()
    {
        const std::size_t end = std::min(Text_.find(',', At_), Text_.size());
        if (end == At_)
            return false;
        At_ = end;
        return true;
    }

private:
    std::string_view Text_;
    std::size_t At_ = 0;
};

void Add(std::vector<TDiagnostic>& out, TSeverity severity, const TSourceRange& range, std::string message)
{
    out.push_back({severity, range, std::move(message)});
}

// Every item after the sprite is `,ID:price` (a market's `,ID:price:stock` starts the same way);
// the loader stops at the first that does not read and ignores the rest of the line.
void ShopItems(const TTopLevel& entry, const TDialect& dialect, std::vector<TDiagnostic>& out)
{
    const std::string& w4 = entry.Fields[3].Text;
    std::size_t comma = w4.find(',');
    const std::string& type = entry.Fields[1].Text;
    if (SameLetters(type, "itemshop") || SameLetters(type, "pointshop"))
        comma = w4.find(',', comma + 1);  // the currency comes first
    else if (dialect.ShopDiscount && !SameLetters(type, "marketshop") && comma != std::string::npos) {
        // A first field that is no item is the shop's discount flag, `yes` or `no`.
        const std::string_view first = std::string_view(w4).substr(comma + 1);
        const std::string_view flag = first.substr(0, first.find_first_of(",:"));
        TScan price(first.substr(flag.size()));
        if (flag.empty() || !price.Literal(':') || !price.Int()) {
            if (!SameLetters(flag, "yes") && !SameLetters(flag, "no"))
                return Add(out, TSeverity::Error, entry.Fields[3].Range,
                           "unknown discount setting '" + std::string(flag) +
                               "': the server reads yes or no (or the first item) there and does not load the shop");
            comma = w4.find(',', comma + 1);
        }
    }
    for (; comma != std::string::npos; comma = w4.find(',', comma + 1)) {
        TScan scan(std::string_view(w4).substr(comma + 1));
        if (scan.Int() && scan.Literal(':') && scan.Int())
            continue;
        const std::size_t next = w4.find(',', comma + 1);
        const std::string item = w4.substr(comma + 1, next == std::string::npos ? next : next - comma - 1);
        Add(out, TSeverity::Error, entry.Fields[3].Range,
            "Invalid item definition '" + item + "': an item of a shop is written ,ID:price (the server ignores the rest of the line)");
        return;
    }
}

// `map,x,y<TAB>warp<TAB>name<TAB>spanx,spany,to_map,to_x,to_y`
void Warp(const TTopLevel& entry, std::vector<TDiagnostic>& out)
{
    TScan scan(entry.Fields[3].Text);
    const bool read = scan.Int() && scan.Literal(',') && scan.Int() && scan.Literal(',') && scan.UpToComma() &&
                      scan.Literal(',') && scan.Int() && scan.Literal(',') && scan.Int();
    if (!read)
        Add(out, TSeverity::Error, entry.Fields[3].Range,
            "Invalid warp definition: the server reads spanx,spany,map,x,y here (a field is missing, or a tab too many)");
}

// `map,x,y,spanx,spany<TAB>monster<TAB>name<TAB>mobid,amount,delay1,delay2,event`
void Monster(const TTopLevel& entry, const TDialect& dialect, std::vector<TDiagnostic>& out)
{
    TScan place(entry.Fields[0].Text);
    TScan spawn(entry.Fields[3].Text);
    const bool placed = place.UpToComma() && (dialect.MonsterPlaceFields < 3 || (place.Literal(',') && place.Int() &&
                                                                                   place.Literal(',') && place.Int()));
    // rAthena reads the monster up to the comma: a number, or a name from its monster database.
    const std::string& w4 = entry.Fields[3].Text;
    const std::size_t first = std::min(w4.find_first_not_of(' '), w4.size());
    const bool byName = dialect.MonsterNames && first < w4.size() && std::isalpha(static_cast<unsigned char>(w4[first]));
    std::optional<long long> mob = spawn.Int();
    if (byName && spawn.UpToComma())
        mob = -1;  // a monster by name: without the server's monster database, any name reads
    std::optional<long long> amount;
    if (mob && spawn.Literal(','))
        amount = spawn.Int();
    if (!placed || !amount)
        return Add(out, TSeverity::Error, placed ? entry.Fields[3].Range : entry.Fields[0].Range,
                   "Invalid mob definition: the server reads map,x,y[,spanx,spany] and mobid,amount[,delay1,delay2,event]");
    if (*mob == 0)
        Add(out, TSeverity::Error, entry.Fields[3].Range, "Unknown mob ID 0: the server does not spawn it");
    if (*amount < 1 || *amount > 1000)
        Add(out, TSeverity::Error, entry.Fields[3].Range,
            "Invalid number of monsters " + std::to_string(*amount) + ": it must be between 1 and 1000");
}

// Where an NPC stands: a negative coordinate or one no map has is refused when the server places
// it; a facing outside 0 (north) .. 7 (north-east) loads but the client shows some other way.
void Placement(const TTopLevel& entry, std::vector<TDiagnostic>& out)
{
    if (entry.Floating || entry.Kind == TTopKind::Function || entry.Kind == TTopKind::Mapflag)
        return;
    const TSourceRange& at = entry.Fields[0].Range;
    constexpr int Largest = SHRT_MAX;  // the servers keep coordinates in 16 bits
    for (const auto& [axis, value] : {std::pair{"X", entry.X}, std::pair{"Y", entry.Y}})
        if (value < 0 || value > Largest)
            Add(out, TSeverity::Error, at, std::string(axis) + " " + std::to_string(value) + " is outside every map: the server cannot place the NPC there");
    const bool facing = entry.Kind == TTopKind::Script || entry.Kind == TTopKind::Shop || entry.Kind == TTopKind::Duplicate;
    if (facing && (entry.Dir < 0 || entry.Dir > 7))
        Add(out, TSeverity::Warning, at, "facing " + std::to_string(entry.Dir) +
                                             " is not one of 0 (north) to 7 (north-east): the client turns the NPC some other way");
}

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    const std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first, last - first + 1));
}

} // namespace

void CheckLoaderLine(const TTopLevel& entry, const TDialect& dialect, std::vector<TDiagnostic>& out)
{
    Placement(entry, out);
    if (entry.Kind != TTopKind::Function && entry.Kind != TTopKind::Mapflag && entry.Kind != TTopKind::Monster &&
        entry.Kind != TTopKind::Warp && entry.Name.empty() && entry.Fields.size() > 2)
        Add(out, TSeverity::Warning, entry.Fields[2].Range,
            "the NPC has no name: the server loads it, but no script can name it and players see none");
    switch (entry.Kind) {
    case TTopKind::Shop:
        if (!TServerRules::IsType(dialect.PlainTypes, entry.Fields[1].Text))
            ShopItems(entry, dialect, out);
        break;
    case TTopKind::Warp: Warp(entry, out); break;
    case TTopKind::Monster: Monster(entry, dialect, out); break;
    case TTopKind::Mapflag: {
        const std::string flag = Trimmed(entry.Fields[2].Text);
        if (dialect.MapFlags && !TServerRules::IsType(*dialect.MapFlags, flag))
            Add(out, TSeverity::Error, entry.Fields[2].Range, "unrecognized mapflag '" + flag + "'");
        break;
    }
    default: break;
    }
}

} // namespace script
