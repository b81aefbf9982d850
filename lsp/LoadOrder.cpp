#include "lsp/LoadOrder.h"

#include "platform/FileAccess.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace lsp {

namespace {

// Deeper than any real tree: a list that imports itself stops here.
constexpr int MaxImportDepth = 16;

bool Exists(const std::filesystem::path& root, const std::string& name)
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(root / name, ignored);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string TrimmedRight(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

std::string ListText(TServerTree& tree, const std::string& name)
{
    try {
        return ReadWholeFile((tree.Root / name).string());
    } catch (const std::exception& e) {
        tree.Warnings.push_back(e.what());
        return {};
    }
}

// The source list as the map server keeps it: a file is added once, at its first mention.
class TSourceList {
public:
    void Add(const std::string& file)
    {
        if (std::find(Files_.begin(), Files_.end(), file) == Files_.end())
            Files_.push_back(file);
    }
    void Remove(const std::string& file)
    {
        if (Lower(file) == "all")
            Files_.clear();
        else
            std::erase(Files_, file);
    }
    void Clear() { Files_.clear(); }
    std::vector<std::string> Take() { return std::move(Files_); }

private:
    std::vector<std::string> Files_;
};

// `key: value` lines; `//` starts a comment.
void ReadAthenaList(TServerTree& tree, const std::string& name, TSourceList& list, int depth)
{
    if (depth > MaxImportDepth) {
        tree.Warnings.push_back(name + ": imports nested deeper than " + std::to_string(MaxImportDepth));
        return;
    }
    const std::string text = ListText(tree, name);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (const std::size_t comment = line.find("//"); comment != std::string::npos)
            line.erase(comment);
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = Lower(line.substr(0, colon));
        const std::size_t valueAt = line.find_first_not_of(" \t", colon + 1);
        if (valueAt == std::string::npos)
            continue;
        const std::string value = TrimmedRight(line.substr(valueAt));
        if (key == "npc") {
            if (Lower(value) == "clear")
                list.Clear();
            else
                list.Add(value);
        } else if (key == "delnpc") {
            list.Remove(value);
        } else if (key == "import") {
            ReadAthenaList(tree, value, list, depth + 1);
        }
    }
}

// libconfig text with its `@include`s in place and its comments (`//`, `#`, `/* */`) gone,
// strings kept whole.
std::string LibconfigText(TServerTree& tree, const std::string& name, int depth)
{
    if (depth > MaxImportDepth) {
        tree.Warnings.push_back(name + ": includes nested deeper than " + std::to_string(MaxImportDepth));
        return {};
    }
    const std::string text = ListText(tree, name);
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (c == '"') {
            const std::size_t close = std::min(text.find('"', at + 1), text.size());
            out.append(text, at, close + 1 - at);
            at = close + 1;
        } else if (text.compare(at, 2, "//") == 0 || c == '#') {
            at = std::min(text.find('\n', at), text.size());
        } else if (text.compare(at, 2, "/*") == 0) {
            const std::size_t close = text.find("*/", at + 2);
            at = close == std::string::npos ? text.size() : close + 2;
        } else if (text.compare(at, 8, "@include") == 0) {
            const std::size_t open = text.find('"', at), close = open == std::string::npos ? open : text.find('"', open + 1);
            if (close == std::string::npos) {
                tree.Warnings.push_back(name + ": @include without a file name in quotes");
                break;
            }
            out += LibconfigText(tree, text.substr(open + 1, close - open - 1), depth + 1);
            at = close + 1;
        } else {
            out += c;
            ++at;
        }
    }
    return out;
}

// The strings of each list of libconfig text, by the list's name.
std::vector<std::pair<std::string, std::string>> LibconfigEntries(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<std::string> open;  // the names of the lists and groups we are inside
    std::string lastName;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            const std::size_t close = std::min(text.find('"', at + 1), text.size());
            if (!open.empty())
                entries.emplace_back(open.back(), text.substr(at + 1, close - at - 1));
            at = close;
        } else if (c == '(' || c == '{' || c == '[') {
            open.push_back(lastName);
            lastName.clear();
        } else if ((c == ')' || c == '}' || c == ']') && !open.empty()) {
            open.pop_back();
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            const std::size_t start = at;
            while (at + 1 < text.size() && (std::isalnum(static_cast<unsigned char>(text[at + 1])) || text[at + 1] == '_'))
                ++at;
            lastName = text.substr(start, at + 1 - start);
        }
    }
    return entries;
}

std::string FirstExisting(const std::filesystem::path& root, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (Exists(root, name))
            return name;
    return {};
}

bool IsLibconfigList(const std::filesystem::path& root, const std::string& name)
{
    try {
        return ReadWholeFile((root / name).string()).find("npc_global_list") != std::string::npos;
    } catch (const std::exception&) {
        return false;
    }
}

std::string MainListOf(const std::filesystem::path& root, script::TTarget target, bool renewal)
{
    if (target == script::TTarget::EAthena)
        return FirstExisting(root, {"npc/scripts_main.conf"});
    return renewal ? FirstExisting(root, {"npc/re/scripts_main.conf", "npc/pre-re/scripts_main.conf", "npc/scripts_main.conf"})
                   : FirstExisting(root, {"npc/pre-re/scripts_main.conf", "npc/re/scripts_main.conf", "npc/scripts_main.conf"});
}

} // namespace

std::optional<script::TTarget> DetectServer(const std::filesystem::path& root)
{
    for (const char* name : {"npc/re/scripts_main.conf", "npc/pre-re/scripts_main.conf", "npc/scripts_main.conf"})
        if (Exists(root, name) && IsLibconfigList(root, name))
            return script::TTarget::Hercules;
    if (Exists(root, "npc/re/scripts_main.conf") || Exists(root, "npc/pre-re/scripts_main.conf"))
        return script::TTarget::RAthena;
    if (Exists(root, "npc/scripts_main.conf"))
        return script::TTarget::EAthena;
    return std::nullopt;
}

TServerTree ReadServerTree(const std::filesystem::path& root, script::TTarget target, bool renewal)
{
    TServerTree tree;
    tree.Target = target;
    tree.Root = root;
    tree.MainList = MainListOf(root, target, renewal);
    if (tree.MainList.empty())
        return tree;
    TSourceList list;
    if (IsLibconfigList(root, tree.MainList)) {
        // The server adds the global list, then takes out the removed one, whatever their order.
        const auto entries = LibconfigEntries(LibconfigText(tree, tree.MainList, 0));
        for (const auto& [listName, file] : entries)
            if (listName == "npc_global_list")
                list.Add(file);
        for (const auto& [listName, file] : entries)
            if (listName == "npc_removed_list")
                list.Remove(file);
    } else {
        ReadAthenaList(tree, tree.MainList, list, 0);
    }
    for (std::string& file : list.Take()) {
        if (Exists(root, file))
            tree.Files.push_back(std::move(file));
        else
            tree.Warnings.push_back(file + ": not found (the server skips it)");
    }
    return tree;
}

} // namespace lsp
