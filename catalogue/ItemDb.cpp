// The item catalogue, read from the server's item database item_db.txt.

#include "catalogue/Catalogues.h"

#include "catalogue/IniFile.h"
#include "platform/PlainText.h"
#include "platform/FileAccess.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t MaskedHead = 64;  // characters masked in one go, one bit each

#if defined(__SSE2__)
// Bit i set when text[i] is a comma, for the sixteen characters from text.
std::uint64_t CommaBits16(const char* text)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(','))));
}
#endif

// Bit i set when text[i] is a comma, for the first count (at most 64) characters of text. With
// SSE2 (every x86-64 processor has it) sixteen characters are compared at once, the last block
// overlapping the one before it.
std::uint64_t CommaMask(const char* text, std::size_t count)
{
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    if (count >= 16) {
        for (std::size_t i = 0; i + 16 < count; i += 16)
            mask |= CommaBits16(text + i) << i;
        return mask | CommaBits16(text + count - 16) << (count - 16);
    }
#endif
    for (std::size_t i = 0; i < count; ++i)
        mask |= std::uint64_t{text[i] == ','} << i;
    return mask;
}

// The comma-separated fields of one item_db.txt line, handed out in order. The last field of a
// line runs to the line end; fields a short line does not have are empty, and nothing past the
// line is ever read.
//
// Finding the fields is most of the time LoadItems takes. Fields are a few characters long, so a
// memchr per field costs more in calls than it saves, and a branch per character is
// mispredicted at nearly every comma. Instead the first 64 characters of the line become a bit
// mask of their commas, and each field ends at the next bit of the mask. Only the few lines
// whose eleventh comma lies further in are searched beyond that.
class TItemFields {
public:
    explicit TItemFields(std::string_view line)
        : Line_(line),
          Head_(std::min(line.size(), MaskedHead)),
          Commas_(CommaMask(line.data(), Head_))
    {
    }

    std::string_view NextField()
    {
        const std::size_t end = NextComma();
        const std::string_view field(Line_.data() + Begin_, end - Begin_);
        Begin_ = std::min(end + 1, Line_.size());  // once at the line end, fields are empty
        return field;
    }

    void SkipField() { Begin_ = std::min(NextComma() + 1, Line_.size()); }

private:
    // The position of the comma ending the current field, or the line end.
    std::size_t NextComma()
    {
        if (Commas_ != 0) {
            const auto comma = static_cast<std::size_t>(std::countr_zero(Commas_));
            Commas_ &= Commas_ - 1;
            return comma;
        }
        // No comma left in the head, so the next one, if any, lies beyond it.
        return std::min(Line_.find(',', std::max(Begin_, Head_)), Line_.size());
    }

    std::string_view Line_;
    std::size_t Head_;       // characters covered by the mask
    std::uint64_t Commas_;   // commas of the head not yet used as a field end
    std::size_t Begin_ = 0;  // where the next field starts
};

// A field that is not empty read as a number: short digit strings, which is what the database
// holds, without a call and without a branch per digit; anything else (a sign, a blank, a
// letter, ten digits) the long way, by ParseIntDef. Inline, as most lines have three of them.
inline std::int32_t FilledItemNumber(std::string_view field)
{
    if (field.size() > 9)
        return ParseIntDef(field, 0);
    std::uint32_t value = 0;
    bool digitsOnly = true;
    for (char c : field) {
        const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(c)) - '0';
        digitsOnly &= digit <= 9;
        value = value * 10 + digit;
    }
    return digitsOnly ? static_cast<std::int32_t>(value) : ParseIntDef(field, 0);
}

// A numeric field; most of them are empty and read as 0 right here.
std::int32_t ItemNumber(std::string_view field)
{
    return field.empty() ? 0 : FilledItemNumber(field);
}

// IsPlainName for a field of line. Most names are shorter than sixteen characters and have
// sixteen characters of the line from their start, so one block check does.
bool IsPlainField(std::string_view field, std::string_view line)
{
#if defined(__SSE2__)
    const auto rest = static_cast<std::size_t>(line.data() + line.size() - field.data());
    if (field.size() < 16 && rest >= 16) {
        const std::uint32_t wanted = (std::uint32_t{1} << field.size()) - 1;
        return (PlainBits16(field.data()) & wanted) == wanted;
    }
#endif
    return IsPlainName(field);
}

// What an item_db.txt line says about an item: its numbers, its names still pointing into the line.
struct TItemLine {
    TItem Numbers;  // without its names
    std::string_view Name;
    std::string_view DbName;

    TItem ToItem() const
    {
        const TItem& n = Numbers;
        return TItem{n.ID, n.Price, n.Slots, n.Weight, n.ATK, n.DEF, std::string(Name), std::string(DbName), n.Type};
    }
};

// Reads line into item; false when the line is skipped or the item is not catalogued, and then
// item holds nothing of use. Fields after the eleventh are never looked at.
bool ReadItemLine(std::string_view line, TItemLine& item)
{
    if (line.empty() || line.front() == '/')
        return false;
    TItemFields fields(line);
    item.Numbers.ID = ItemNumber(fields.NextField());  // 1
    item.DbName = fields.NextField();  // 2: the server's own name for the item
    item.Name = fields.NextField();  // 3
    if (item.Numbers.ID == 0 || !IsPlainField(item.Name, line))
        return false;
    item.Numbers.Type = ItemNumber(fields.NextField());  // 4
    item.Numbers.Price = ItemNumber(fields.NextField());  // 5
    fields.SkipField();  // 6: selling price
    item.Numbers.Weight = ItemNumber(fields.NextField());  // 7
    item.Numbers.ATK = ItemNumber(fields.NextField());  // 8
    item.Numbers.DEF = ItemNumber(fields.NextField());  // 9
    fields.SkipField();  // 10: range
    item.Numbers.Slots = ItemNumber(fields.NextField());  // 11
    return true;
}

}  // namespace

std::optional<TItem> ParseItemLine(std::string_view line)
{
    TItemLine item;
    if (!ReadItemLine(line, item))
        return std::nullopt;
    return item.ToItem();
}

std::string ItemCaption(const TItem& item)
{
    if (item.Slots == 0)
        return item.Name;
    return item.Name + " [" + std::to_string(static_cast<std::uint32_t>(item.Slots)) + "]";
}

void TCatalogues::LoadItems(const std::filesystem::path& dir)
{
    const std::string text = ReadWholeFile((dir / "item_db.txt").string());
    TLineReader lines(text);
    std::string_view line;
    TItemLine item;
    while (lines.Next(line))
        if (ReadItemLine(line, item))
            Items.push_back(std::make_unique<TItem>(item.ToItem()));
}
