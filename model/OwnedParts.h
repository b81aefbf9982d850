#pragma once
// The parts a task owns in a list (a condition's checks, a menu's entries), reached by position
// from the editors.

#include "model/ProjectFile.h"

#include <algorithm>
#include <memory>
#include <vector>

// The part at i; past the end, the last part; nullptr for a negative i or an empty list.
template <class T>
T* ClampedPart(const std::vector<std::unique_ptr<T>>& parts, int i)
{
    if (parts.empty() || i < 0)
        return nullptr;
    return parts[std::min(static_cast<std::size_t>(i), parts.size() - 1)].get();
}

// Destroys part if the list holds it.
template <class T>
void RemovePart(std::vector<std::unique_ptr<T>>& parts, const T* part)
{
    std::erase_if(parts, [part](const auto& owned) { return owned.get() == part; });
}

// Record: the count, then each part's record.
template <class T>
void SaveParts(TFileWriter& file, const std::vector<std::unique_ptr<T>>& parts)
{
    file.WriteInt(static_cast<std::int32_t>(parts.size()));
    for (const auto& part : parts)
        part->SaveToFile(file);
}

// Reads what SaveParts wrote; minRecordSize (the smallest record of a part) bounds the count
// before anything is allocated, what names the parts in the error.
template <class T>
std::vector<std::unique_ptr<T>> LoadParts(TFileReader& file, std::size_t minRecordSize, const char* what)
{
    const std::size_t count = ReadCount(file, minRecordSize, what);
    std::vector<std::unique_ptr<T>> parts;
    parts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto part = std::make_unique<T>();
        part->LoadFromFile(file);
        parts.push_back(std::move(part));
    }
    return parts;
}
