#pragma once
// The labels a check of an NPC's body has met so far, for its duplicate check.

#include "script/Text.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace script {

// A label's or function's name with its hash, kept with a label's findings: the name is hashed
// once, when its statement is read.
struct TLabelKey {
    std::size_t Hash = 0;
    std::string_view Name;
};

// The labels defined so far. Every label of the body goes in again after every change: an open
// table of keys costs no allocation and no hashing for each.
class TLabelSet {
public:
    explicit TLabelSet(bool caseSensitive) : CaseSensitive_(caseSensitive), Slots_(64) {}

    // False when a label of the same name is in already.
    bool Insert(const TLabelKey& key)
    {
        if (2 * (Count_ + 1) > Slots_.size())
            Grow();
        TLabelKey& slot = Find(key);
        if (slot.Name.data())
            return false;
        slot = key;
        ++Count_;
        return true;
    }
    bool Contains(const TLabelKey& key) { return Find(key).Name.data() != nullptr; }

private:
    TLabelKey& Find(const TLabelKey& key)
    {
        const std::size_t mask = Slots_.size() - 1;
        for (std::size_t at = key.Hash & mask;; at = (at + 1) & mask) {
            TLabelKey& slot = Slots_[at];
            if (!slot.Name.data() || (slot.Hash == key.Hash && Same(slot.Name, key.Name)))
                return slot;
        }
    }
    bool Same(std::string_view a, std::string_view b) const { return CaseSensitive_ ? a == b : SameLetters(a, b); }
    void Grow()
    {
        std::vector<TLabelKey> old(Slots_.size() * 2);
        old.swap(Slots_);
        for (const TLabelKey& key : old)
            if (key.Name.data())
                Find(key) = key;
    }

    bool CaseSensitive_;
    std::vector<TLabelKey> Slots_;  // a power of two of them; a name without data is free
    std::size_t Count_ = 0;
};

} // namespace script
