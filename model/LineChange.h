#pragma once
// Which lines differ between two versions of a script: all but a common beginning and end.

#include <cstddef>

struct TLineChange {
    std::size_t First = 0;     // lines before the change, the same in both
    std::size_t OldCount = 0;  // changed lines of the old version
    std::size_t NewCount = 0;  // lines that replace them

    bool operator==(const TLineChange&) const = default;
    // Whether this can be the change from a version of oldLines lines to one of newLines: a
    // holder trusts a change it was handed only then.
    bool Fits(std::size_t oldLines, std::size_t newLines) const
    {
        return First + OldCount <= oldLines && First + NewCount <= newLines &&
               oldLines - OldCount == newLines - NewCount;
    }
};
