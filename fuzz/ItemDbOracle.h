#pragma once
// The item database reader checked against the plain reading of its rules: fields split at every
// comma, numbers read as optional blanks, an optional sign and decimal digits within 32 bits.

#include "OracleSupport.h"

#include "catalogue/Catalogues.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>

namespace parsercheck {

inline bool ReferencePlainName(std::string_view text)
{
    for (const char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == ' ' || c == '\'' || c == '-';
        if (!plain)
            return false;
    }
    return true;
}

// The comma-separated fields of a line; a field the line does not have is empty.
inline std::string_view FieldOf(std::string_view line, int number)
{
    std::size_t begin = 0;
    for (int i = 1; i < number; ++i) {
        const std::size_t comma = line.find(',', begin);
        if (comma == std::string_view::npos)
            return {};
        begin = comma + 1;
    }
    const std::size_t end = line.find(',', begin);
    return line.substr(begin, end == std::string_view::npos ? line.npos : end - begin);
}

inline std::optional<TItem> ReferenceItemLine(std::string_view line)
{
    if (line.empty() || line.front() == '/')
        return std::nullopt;
    const auto number = [&](int field) { return ReferenceIntDef(FieldOf(line, field), 0); };
    TItem item;
    item.ID = number(1);
    item.Name = std::string(FieldOf(line, 3));
    if (item.ID == 0 || !ReferencePlainName(item.Name))
        return std::nullopt;
    item.DbName = std::string(FieldOf(line, 2));
    item.Type = number(4);
    item.Price = number(5);
    item.Weight = number(7);
    item.ATK = number(8);
    item.DEF = number(9);
    item.Slots = number(11);
    return item;
}

inline bool SameItem(const TItem& a, const TItem& b)
{
    return a.ID == b.ID && a.Price == b.Price && a.Slots == b.Slots && a.Weight == b.Weight &&
           a.ATK == b.ATK && a.DEF == b.DEF && a.Name == b.Name && a.DbName == b.DbName && a.Type == b.Type;
}

inline std::string ItemText(const std::optional<TItem>& item)
{
    if (!item)
        return "(no item)";
    return std::to_string(item->ID) + " '" + Shown(item->Name) + "' '" + Shown(item->DbName) + "' type " +
           std::to_string(item->Type) + " price " +
           std::to_string(item->Price) + " weight " + std::to_string(item->Weight) + " atk " +
           std::to_string(item->ATK) + " def " + std::to_string(item->DEF) + " slots " +
           std::to_string(item->Slots);
}

// ParseIntDef and ParseItemLine against the references, for every line of text and for the
// whole text taken as one line.
inline TProblems CheckItemLines(std::string_view text)
{
    TProblems problems;
    std::vector<std::string_view> lines = TextLines(text);
    lines.push_back(text);
    for (const std::string_view line : lines) {
        const std::optional<TItem> expected = ReferenceItemLine(line);
        const std::optional<TItem> actual = ParseItemLine(line);
        if (expected.has_value() != actual.has_value() ||
            (expected && !SameItem(*expected, *actual)))
            problems.push_back("ParseItemLine('" + Shown(line) + "') gave " + ItemText(actual) +
                               ", expected " + ItemText(expected));
        const std::int32_t expectedNumber = ReferenceIntDef(line, -77);
        const std::int32_t number = ParseIntDef(line, -77);
        if (number != expectedNumber)
            problems.push_back("ParseIntDef('" + Shown(line) + "') gave " + std::to_string(number) +
                               ", expected " + std::to_string(expectedNumber));
    }
    return problems;
}

// LoadItems on a file holding text (written into dir) catalogues exactly the items that
// ParseItemLine accepts, in line order.
inline TProblems CheckLoadItems(std::string_view text, const std::filesystem::path& dir)
{
    TProblems problems;
    {
        std::ofstream out(dir / "item_db.txt", std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    std::vector<TItem> expected;
    for (const std::string_view line : TextLines(text))
        if (std::optional<TItem> item = ParseItemLine(line))
            expected.push_back(*item);
    TCatalogues catalogues;
    catalogues.LoadItems(dir);
    if (catalogues.Items.size() != expected.size()) {
        problems.push_back("LoadItems catalogued " + std::to_string(catalogues.Items.size()) +
                           " items, the lines hold " + std::to_string(expected.size()));
    } else {
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (!SameItem(*catalogues.Items[i], expected[i]))
                problems.push_back("LoadItems item " + std::to_string(i) + " is " +
                                   ItemText(*catalogues.Items[i]) + ", its line gives " +
                                   ItemText(expected[i]));
    }
    return problems;
}

}  // namespace parsercheck
