#include "script/Transcript.h"

#include <cstdio>

namespace script {
namespace {

std::string Json(std::string_view bytes, const TTextDecoder& decode)
{
    std::string out = "\"";
    for (const char c : decode(bytes)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonList(const std::vector<std::string>& texts, const TTextDecoder& decode)
{
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + Json(texts[i], decode);
    return out + "]";
}

std::string Field(const char* name, const std::string& jsonValue)
{
    return std::string(",\"") + name + "\":" + jsonValue;
}

std::string Field(const char* name, std::int32_t value)
{
    return Field(name, std::to_string(value));
}

std::string Joined(const std::vector<std::string>& texts, const char* separator)
{
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? separator : "") + texts[i];
    return out;
}

std::string ItemText(const TEvent& e)
{
    const std::string count = std::to_string(e.Amount < 0 ? -static_cast<std::int64_t>(e.Amount) : e.Amount);
    const std::string item = e.Name.empty() ? "item " + std::to_string(e.Id) : e.Name + " (" + std::to_string(e.Id) + ")";
    return (e.Amount < 0 ? "lost " : "got ") + count + " x " + item;
}

} // namespace

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string TranscriptLine(const TEvent& e, const TTextDecoder& decode)
{
    switch (e.Kind) {
    case TEventKind::Mes: return decode(e.Text);
    case TEventKind::Next: return "  [Next]";
    case TEventKind::Menu: {
        std::vector<std::string> numbered;
        for (std::size_t i = 0; i < e.Values.size(); ++i)
            numbered.push_back(std::to_string(i + 1) + ") " + decode(e.Values[i]));
        return "  menu: " + Joined(numbered, "  ");
    }
    case TEventKind::Choose: return e.Amount == 0 ? "  > cancel" : "  > " + std::to_string(e.Amount);
    case TEventKind::Input: return "  > typed " + decode(e.Text);
    case TEventKind::Close: return e.Name == "close2" ? "  [Close] (the script goes on)" : "  [Close]";
    case TEventKind::End: return "-- end --";
    case TEventKind::Set: return e.Name + " " + std::to_string(e.From) + " -> " + std::to_string(e.To);
    case TEventKind::Item: return decode(ItemText(e));
    case TEventKind::Warp:
        if (e.Name == "SavePoint")
            return "warped to the save point";
        if (e.Name == "Random")
            return "warped to a random cell of the map";
        return "warped to " + decode(e.Name) + " " + std::to_string(e.X) + "," + std::to_string(e.Y);
    case TEventKind::Command: {
        std::string text = (e.Simulated ? "" : "not simulated: ") + e.Name;
        if (!e.Values.empty())
            text += " " + decode(Joined(e.Values, ", "));
        if (e.Simulated && !e.Text.empty())
            text += " (" + e.Text + ")";
        return text;
    }
    case TEventKind::Fault: {
        const std::string word = e.Name == "warning" ? "warning" : "fault";
        return (e.Line() > 0 ? word + " at line " + std::to_string(e.Line()) : word) + ": " + decode(e.Text);
    }
    case TEventKind::Waiting: return "-- waiting for " + (e.Name == "input" ? std::string("input") : e.Name == "menu" ? "a menu choice" : "the " + e.Name + " button") + " --";
    case TEventKind::Edit: return "-- the player was changed --";
    }
    return {};
}

std::string JsonLine(const TEvent& e, const TTextDecoder& decode)
{
    std::string out = "{\"event\":";
    const std::string line = Field("line", e.Line());
    switch (e.Kind) {
    case TEventKind::Mes: out += "\"mes\"" + line + Field("text", Json(e.Text, decode)); break;
    case TEventKind::Next: out += "\"next\"" + line; break;
    case TEventKind::Menu: out += "\"menu\"" + line + Field("options", JsonList(e.Values, decode)); break;
    case TEventKind::Choose: out += "\"choose\"" + line + Field("option", e.Amount); break;
    case TEventKind::Input: out += "\"input\"" + line + Field("value", Json(e.Text, decode)); break;
    case TEventKind::Close:
        out += "\"close\"" + line;
        if (e.Name == "close2")
            out += Field("command", Json(e.Name, decode));
        break;
    case TEventKind::End: out += "\"end\"" + line; break;
    case TEventKind::Set:
        out += "\"set\"" + line + Field("name", Json(e.Name, decode)) + Field("from", e.From) + Field("to", e.To);
        break;
    case TEventKind::Item:
        out += "\"item\"" + line + Field("id", e.Id) + Field("amount", e.Amount);
        if (!e.Name.empty())
            out += Field("name", Json(e.Name, decode));
        break;
    case TEventKind::Warp:
        out += "\"warp\"" + line + Field("map", Json(e.Name, decode)) + Field("x", e.X) + Field("y", e.Y);
        break;
    case TEventKind::Command:
        out += "\"command\"" + line + Field("name", Json(e.Name, decode)) + Field("args", JsonList(e.Values, decode));
        if (!e.Simulated)
            out += Field("simulated", "false");
        else if (!e.Text.empty())
            out += Field("note", Json(e.Text, decode));
        break;
    case TEventKind::Fault:
        out += (e.Name == "warning" ? "\"warning\"" : "\"fault\"") + line + Field("message", Json(e.Text, decode));
        break;
    case TEventKind::Waiting: out += "\"waiting\"" + line + Field("for", Json(e.Name, decode)); break;
    case TEventKind::Edit: out += "\"edit\"" + line; break;
    }
    return out + "}";
}

std::string Transcript(const TRunResult& result, const TTextDecoder& decode)
{
    std::string out;
    for (const TEvent& e : result.Events)
        out += TranscriptLine(e, decode) + "\n";
    return out;
}

std::string JsonLines(const TRunResult& result, const TTextDecoder& decode)
{
    std::string out;
    for (const TEvent& e : result.Events)
        out += JsonLine(e, decode) + "\n";
    return out;
}

} // namespace script
