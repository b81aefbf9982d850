#include "lsp/Libconfig.h"

#include "platform/FileAccess.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <utility>

namespace lsp {

namespace {

// Deeper than any real tree: a file that includes itself stops here.
constexpr int MaxIncludeDepth = 16;

std::size_t LineAt(const std::string& text, std::size_t offset)
{
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

[[noreturn]] void Refuse(const std::string& text, std::size_t offset, const std::string& what)
{
    throw std::runtime_error("line " + std::to_string(LineAt(text, offset)) + ": " + what);
}

// Where the string opened at `at` ends (its closing quote), a backslash escaping the next character.
std::size_t StringEnd(const std::string& text, std::size_t at)
{
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            return i;
    }
    Refuse(text, at, "a string without its closing quote");
}

// Where the script block opened at `at` ends (the `>` of its `">`).
std::size_t ScriptEnd(const std::string& text, std::size_t at)
{
    const std::size_t close = text.find("\">", at + 2);
    if (close == std::string::npos)
        Refuse(text, at, "a script block <\" without its closing \">");
    return close + 1;
}

struct TToken {
    enum TKind { Word, String, Script, Open, Close, Separator } Kind;
    std::string_view Text;  // a string's or a script's without its marks
    std::size_t Offset;
};

template <class TSee>
void Tokens(const std::string& text, const TSee& see)
{
    const std::string_view all(text);
    const auto special = [](char c) { return std::string_view("\"(){}[]:=,;").find(c) != std::string_view::npos; };
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++at;
        } else if (c == '"') {
            const std::size_t end = StringEnd(text, at);
            see(TToken{TToken::String, all.substr(at + 1, end - at - 1), at});
            at = end + 1;
        } else if (text.compare(at, 2, "<\"") == 0) {
            const std::size_t end = ScriptEnd(text, at);
            see(TToken{TToken::Script, all.substr(at + 2, end - 1 - at - 2), at});
            at = end + 1;
        } else if (std::string_view("({[").find(c) != std::string_view::npos) {
            see(TToken{TToken::Open, all.substr(at, 1), at++});
        } else if (std::string_view(")}]").find(c) != std::string_view::npos) {
            see(TToken{TToken::Close, all.substr(at, 1), at++});
        } else if (special(c)) {
            see(TToken{TToken::Separator, all.substr(at, 1), at++});
        } else {
            const std::size_t start = at;
            while (at < text.size() && !special(text[at]) && !std::isspace(static_cast<unsigned char>(text[at])) &&
                   text.compare(at, 2, "<\"") != 0)
                ++at;
            see(TToken{TToken::Word, all.substr(start, at - start), start});
        }
    }
}

std::string IncludedText(const std::filesystem::path& root, const std::string& name, std::vector<std::string>& warnings, int depth)
{
    if (depth > MaxIncludeDepth) {
        warnings.push_back(name + ": includes nested deeper than " + std::to_string(MaxIncludeDepth));
        return {};
    }
    std::string text;
    try {
        text = ReadWholeFile((root / name).string());
    } catch (const std::exception& e) {
        warnings.push_back(e.what());
        return {};
    }
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        std::size_t end = at;
        if (c == '"' || text.compare(at, 2, "<\"") == 0) {
            try {
                end = c == '"' ? StringEnd(text, at) : ScriptEnd(text, at);
            } catch (const std::exception&) {
                end = text.size() - 1;  // the reader that takes the text says what is wrong
            }
            out.append(text, at, end + 1 - at);
            at = end + 1;
        } else if (text.compare(at, 2, "//") == 0 || c == '#') {
            at = std::min(text.find('\n', at), text.size());
        } else if (text.compare(at, 2, "/*") == 0) {
            const std::size_t close = text.find("*/", at + 2);
            at = close == std::string::npos ? text.size() : close + 2;
        } else if (text.compare(at, 8, "@include") == 0) {
            const std::size_t open = text.find('"', at), close = open == std::string::npos ? open : text.find('"', open + 1);
            if (close == std::string::npos) {
                warnings.push_back(name + ": @include without a file name in quotes");
                break;
            }
            out += IncludedText(root, text.substr(open + 1, close - open - 1), warnings, depth + 1);
            at = close + 1;
        } else {
            out += c;
            ++at;
        }
    }
    return out;
}

} // namespace

std::string LibconfigText(const std::filesystem::path& root, const std::string& name, std::vector<std::string>& warnings)
{
    return IncludedText(root, name, warnings, 0);
}

std::vector<std::pair<std::string, std::string>> LibconfigStrings(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<std::string> open;  // the names of the lists and groups we are inside
    std::string lastName;
    try {
        Tokens(text, [&](const TToken& token) {
            if (token.Kind == TToken::String && !open.empty())
                entries.emplace_back(open.back(), std::string(token.Text));
            else if (token.Kind == TToken::Open)
                open.push_back(std::exchange(lastName, {}));
            else if (token.Kind == TToken::Close && !open.empty())
                open.pop_back();
            else if (token.Kind == TToken::Word)
                lastName = token.Text;
        });
    } catch (const std::runtime_error&) {
        // A list cut short keeps the names read before the cut, as the lists' other faults do.
    }
    return entries;
}

std::vector<TLibconfigGroup> LibconfigGroups(const std::string& text, std::string_view list)
{
    struct TFrame {
        std::string Name;
        char Bracket;
    };
    std::vector<TFrame> open;
    std::vector<TLibconfigGroup> groups;
    std::size_t groupDepth = 0;  // the depth inside a group of the list; 0 outside one
    std::string lastName;
    bool valueNext = false;  // a name and its `:` or `=` read at the group's depth
    Tokens(text, [&](const TToken& token) {
        const bool inGroup = groupDepth != 0 && open.size() == groupDepth;
        switch (token.Kind) {
        case TToken::Word:
        case TToken::String:
        case TToken::Script:
            if (inGroup && valueNext)
                groups.back().emplace_back(lastName, std::string(token.Text));
            if (token.Kind == TToken::Word && !valueNext)
                lastName = token.Text;
            valueNext = false;
            break;
        case TToken::Separator:
            valueNext = token.Text == ":" || token.Text == "=";
            break;
        case TToken::Open:
            if (token.Text == "{" && groupDepth == 0 && !open.empty() && open.back().Name == list && open.back().Bracket != '{') {
                groups.emplace_back();
                groupDepth = open.size() + 1;
            }
            open.push_back({std::exchange(lastName, {}), token.Text[0]});
            valueNext = false;
            break;
        case TToken::Close: {
            const char wanted = open.empty() ? 0 : open.back().Bracket == '(' ? ')' : open.back().Bracket == '{' ? '}' : ']';
            if (token.Text[0] != wanted)
                Refuse(text, token.Offset, std::string("'") + token.Text[0] + "' closes nothing");
            if (open.size() == groupDepth)
                groupDepth = 0;
            open.pop_back();
            valueNext = false;
            break;
        }
        }
    });
    if (!open.empty())
        Refuse(text, text.size(), "'" + std::string(1, open.back().Bracket) + "' opened but never closed");
    return groups;
}

} // namespace lsp
