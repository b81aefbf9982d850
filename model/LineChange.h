#pragma once
// Which lines differ between two versions of a script: all but a common beginning and end.

#include <cstddef>

struct TLineChange {
    std::size_t First = 0;     // lines before the change, the same in both
    std::size_t OldCount = 0;  // changed lines of the old version
    std::size_t NewCount = 0;  // lines that replace them

    bool operator==(const TLineChange&) const = default;
};
