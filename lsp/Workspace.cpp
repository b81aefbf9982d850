#include "lsp/Workspace.h"

#include "platform/FileAccess.h"
#include "script/FileReader.h"

#include <algorithm>

namespace lsp {

std::vector<THeader> ReadHeaders(std::string_view text)
{
    std::vector<THeader> headers;
    int number = 0;
    for (std::size_t at = 0; at < text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        const std::size_t lineOffset = at;
        at = end + 1;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab1 == 0 || tab2 == std::string_view::npos || line.substr(0, 2) == "//")
            continue;
        const std::size_t tab3 = std::min(line.find_first_of("\t\r", tab2 + 1), line.size());
        const std::string_view w1 = line.substr(0, tab1), w2 = line.substr(tab1 + 1, tab2 - tab1 - 1);
        THeader header;
        header.Name = std::string(line.substr(tab2 + 1, tab3 - tab2 - 1));
        header.Line = number;
        header.LineOffset = lineOffset;
        header.NameOffset = lineOffset + tab2 + 1;
        if (w1 == "function" && w2 == "script") {
            header.Kind = THeader::Function;
        } else if (w2.substr(0, 10) == "duplicate(" && w2.back() == ')') {
            header.Kind = THeader::Duplicate;
            header.DuplicateOf = std::string(w2.substr(10, w2.size() - 11));
        } else if (w2 != "script" && w2 != "shop" && w2 != "cashshop" && w2 != "warp" && w2 != "trader") {
            continue;  // monsters, map flags and the like name no NPC
        }
        headers.push_back(std::move(header));
    }
    return headers;
}

TWorkspace::TWorkspace(TServerTree tree, std::unordered_set<std::string> maps) : Tree_(std::move(tree)), Maps_(std::move(maps))
{
    for (const std::string& file : Tree_.Files) {
        Place_.emplace((Tree_.Root / file).lexically_normal().string(), Order_.size());
        Order_.push_back((Tree_.Root / file).lexically_normal().string());
    }
}

bool TWorkspace::IsBinary(const std::string& text)
{
    return text.find('\0') < 8000;
}

TWorkspace::TFile& TWorkspace::Entry(const std::string& path)
{
    return Files_[path];
}

void TWorkspace::Changed(const std::string& path, TFile& file)
{
    std::erase_if(Bases_, [&path](const auto& base) { return base.first != path; });
    file.Scanned.reset();
    file.Defined.reset();
    file.Syntax.reset();
    file.Headers.reset();
}

void TWorkspace::Open(const std::string& path, std::string text)
{
    TFile& file = Entry(path);
    file.Open = file.Read = file.Present = true;
    file.Text = std::move(text);
    Changed(path, file);
}

void TWorkspace::Replace(const std::string& path, std::string text)
{
    Open(path, std::move(text));
}

void TWorkspace::Close(const std::string& path)
{
    if (const auto it = Files_.find(path); it != Files_.end()) {
        it->second.Open = false;
        Forget(path);
    }
}

void TWorkspace::Forget(const std::string& path)
{
    const auto it = Files_.find(path);
    if (it == Files_.end() || it->second.Open)
        return;
    Changed(path, it->second);
    Files_.erase(it);  // read again when next needed
}

bool TWorkspace::IsOpen(const std::string& path) const
{
    const auto it = Files_.find(path);
    return it != Files_.end() && it->second.Open;
}

TWorkspace::TFile* TWorkspace::Loaded(const std::string& path)
{
    TFile& file = Entry(path);
    if (!file.Read) {
        file.Read = true;
        try {
            file.Text = ReadWholeFile(path);
            file.Present = true;
        } catch (const std::exception&) {
            file.Present = false;  // deleted since the lists were read: the server would skip it
        }
    }
    return file.Present ? &file : nullptr;
}

const std::string* TWorkspace::Text(const std::string& path)
{
    TFile* file = Loaded(path);
    return file ? &file->Text : nullptr;
}

std::shared_ptr<const script::TScriptFile> TWorkspace::Syntax(const std::string& path)
{
    TFile* file = Loaded(path);
    if (!file)
        return nullptr;
    if (file->Syntax)
        return file->Syntax;
    auto syntax = std::make_shared<const script::TScriptFile>(script::ReadScriptFile(file->Text, Target()));
    if (file->Open)
        file->Syntax = syntax;
    return syntax;
}

const std::vector<THeader>& TWorkspace::Headers(const std::string& path)
{
    static const std::vector<THeader> none;
    TFile* file = Loaded(path);
    if (!file)
        return none;
    if (!file->Headers)
        file->Headers = IsBinary(file->Text) ? std::vector<THeader>{} : ReadHeaders(file->Text);
    return *file->Headers;
}

script::TCheckOptions TWorkspace::Options(script::TLoadState* load) const
{
    script::TCheckOptions options;
    options.Target = Target();
    options.Maps = Maps_.empty() ? nullptr : &Maps_;
    options.Load = load;
    return options;
}

const script::TLoadState& TWorkspace::ScannedBy(const std::string& path, TFile& file)
{
    if (!file.Scanned) {
        file.Scanned = std::make_unique<script::TLoadState>(Target());
        if (!IsBinary(file.Text))
            file.Scanned->Scan(file.Text, Shown(path));
    }
    return *file.Scanned;
}

// What the server has from the file once it has loaded it: the load-time check defines each
// entry it keeps, whatever came before.
const script::TLoadState& TWorkspace::DefinedBy(const std::string& path, TFile& file)
{
    if (!file.Defined) {
        file.Defined = std::make_unique<script::TLoadState>(Target());
        if (!IsBinary(file.Text)) {
            file.Defined->Begin(Shown(path));
            script::CheckScriptFile(*Syntax(path), file.Text, Options(file.Defined.get()));
        }
    }
    return *file.Defined;
}

std::vector<script::TDiagnostic> TWorkspace::Check(const std::string& path)
{
    TFile* checked = Loaded(path);
    if (!checked)
        return {};
    if (IsBinary(checked->Text))
        return {{script::TSeverity::Warning, {}, "a binary file (a NUL byte near its start), not a script: not checked"}};
    const auto place = Place_.find(path);
    const TBase& base = BaseOf(path, place == Place_.end() ? Order_.size() : place->second);
    // In load order, as npc-lint scans: a name two files give keeps the first file's.
    script::TLoadState load = *base.Before;
    load.Absorb(ScannedBy(path, *checked));
    load.Absorb(*base.After);
    load.Begin(Shown(path));
    return script::CheckScript(checked->Text, Options(&load));
}

TWorkspace::TBase& TWorkspace::BaseOf(const std::string& path, std::size_t place)
{
    TBase& base = Bases_[path];
    if (base.Before)
        return base;
    base.Before = std::make_unique<script::TLoadState>(Target());
    base.After = std::make_unique<script::TLoadState>(Target());
    for (std::size_t i = 0; i < Order_.size(); ++i)
        if (i != place)
            if (TFile* file = Loaded(Order_[i]))
                (i < place ? *base.Before : *base.After).Absorb(ScannedBy(Order_[i], *file));
    for (std::size_t i = 0; i < place && i < Order_.size(); ++i)
        if (TFile* file = Loaded(Order_[i]))
            base.Before->Absorb(DefinedBy(Order_[i], *file));
    return base;
}

std::string TWorkspace::Shown(const std::string& path) const
{
    const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(Tree_.Root);
    if (relative.empty() || *relative.begin() == "..")
        return path;
    return relative.generic_string();
}

std::string TWorkspace::PathOf(const std::string& shown) const
{
    return (Tree_.Root / shown).lexically_normal().string();
}

std::vector<std::string> TWorkspace::Files() const
{
    std::vector<std::string> files = Order_;
    for (const auto& [path, file] : Files_)
        if (file.Open && !Place_.count(path))
            files.push_back(path);
    return files;
}

std::vector<std::string> TWorkspace::OpenFiles() const
{
    std::vector<std::string> files;
    for (const auto& [path, file] : Files_)
        if (file.Open)
            files.push_back(path);
    return files;
}

std::size_t TWorkspace::ScriptBytes()
{
    std::size_t bytes = 0;
    for (const std::string& path : Files())
        if (const std::string* text = Text(path))
            bytes += text->size();
    return bytes;
}

} // namespace lsp
