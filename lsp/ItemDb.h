#pragma once
// The items of a server tree, from the database its map server reads: eAthena's
// `db/item_db.txt` (and `item_db2.txt`), rAthena's `db/item_db.yml` with the files it imports
// for renewal or pre-renewal, Hercules' `db/re/item_db.conf` or `db/pre-re/item_db.conf` (and
// `db/item_db2.conf`). Renewal or pre-renewal is what the tree's script lists are.

#include "lsp/LoadOrder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lsp {

struct TItemRecord {
    std::int32_t Id = 0;
    std::string DbName;  // the name scripts use (Red_Potion)
    std::string Name;    // as the player sees it
    std::string Type;    // as the database writes it (a number in eAthena's, translated to a word)
    std::int32_t Price = 0;   // buying price in zeny
    std::int32_t Weight = 0;  // in tenths, as the database keeps it
};

// "item **Red_Potion** (501): Red Potion, healing, 50 zeny, weight 7"
std::string DescribeItem(const TItemRecord& item);

// Whether the command's first argument is an item (its ID or its database name), as the target's
// own code looks it up (getitem, delitem, countitem, ...).
bool TakesItem(std::string_view command, script::TTarget target);

class TItemDb {
public:
    TItemDb() = default;
    // The tree's items. A missing or unreadable database raises std::runtime_error naming the
    // file; a tree without a root has no items.
    static TItemDb Read(const TServerTree& tree);

    const TItemRecord* Find(std::int32_t id) const;
    // By database name, then by the player's name; letters compared without regard to case, as
    // the servers' item name lookups compare them.
    const TItemRecord* FindName(std::string_view name) const;
    const std::vector<TItemRecord>& Items() const { return Items_; }  // by ID

private:
    void Index();

    std::vector<TItemRecord> Items_;
    std::unordered_map<std::int32_t, std::size_t> Ids_;
    std::unordered_map<std::string, std::size_t> DbNames_, Names_;  // lower case
};

} // namespace lsp
