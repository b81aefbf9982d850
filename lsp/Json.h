#pragma once
// The protocol's positions and ranges in JSON.

#include "lsp/TextPosition.h"

#include <QJsonObject>

namespace lsp {

inline QJsonObject PositionToJson(TPosition p)
{
    return {{"line", p.Line}, {"character", p.Character}};
}

inline QJsonObject RangeToJson(TRange r)
{
    return {{"start", PositionToJson(r.Start)}, {"end", PositionToJson(r.End)}};
}

// A position whose fields are missing or not numbers is outside every text.
inline TPosition PositionFromJson(const QJsonObject& o)
{
    if (!o["line"].isDouble() || !o["character"].isDouble())
        throw EOutsideText("a position without a numeric line and character");
    return {o["line"].toInt(-1), o["character"].toInt(-1)};
}

inline TRange RangeFromJson(const QJsonObject& o)
{
    return {PositionFromJson(o["start"].toObject()), PositionFromJson(o["end"].toObject())};
}

} // namespace lsp
