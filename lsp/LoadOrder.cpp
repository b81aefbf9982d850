#include "lsp/LoadOrder.h"

#include "lsp/Libconfig.h"
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
        const auto entries = LibconfigStrings(LibconfigText(tree.Root, tree.MainList, tree.Warnings));
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
