#pragma once
// The server tree the editor works in: its script files in load order, the editor's open copies
// in place of the disk's, and each file checked in its place in the load as npc-lint checks it.
// What a file adds to the load (its functions and NPC names) is kept per file and text, so a
// check reads only the file checked.

#include "lsp/LoadOrder.h"

#include "script/Checker.h"
#include "script/SyntaxTree.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lsp {

// A top-level line's name, found without reading the bodies: what the tree's outline, its
// functions and the NPCs a `duplicate` may copy need from every file.
struct THeader {
    enum TKind { Npc, Function, Duplicate } Kind = Npc;
    std::string Name;         // as written (an NPC's with any `::` part)
    std::string DuplicateOf;  // Duplicate: the NPC copied
    int Line = 0;             // from 0
    std::size_t NameOffset = 0, LineOffset = 0;
};
std::vector<THeader> ReadHeaders(std::string_view text);

class TWorkspace {
public:
    // maps: the map names the server knows; null for those the target ships.
    explicit TWorkspace(TServerTree tree, std::unordered_set<std::string> maps = {});

    const TServerTree& Tree() const { return Tree_; }
    script::TTarget Target() const { return Tree_.Target; }

    // Files are named by absolute path.
    void Open(const std::string& path, std::string text);
    void Replace(const std::string& path, std::string text);
    void Close(const std::string& path);
    // The disk's copy changed (or is gone): read it again when next needed.
    void Forget(const std::string& path);
    bool IsOpen(const std::string& path) const;

    // The editor's text when open, else the disk's; null when neither is there.
    const std::string* Text(const std::string& path);
    // The file read by the target's reader; null when there is no text.
    // (Kept for the open files; read again each time for the others, which seldom change.)
    std::shared_ptr<const script::TScriptFile> Syntax(const std::string& path);
    // The file's top-level names; empty when there is no text.
    const std::vector<THeader>& Headers(const std::string& path);
    // The diagnostics npc-lint gives the file in its place in the load order; a file in no list
    // is checked as if loaded after all of them.
    std::vector<script::TDiagnostic> Check(const std::string& path);

    // The name messages give the file: relative to the root when inside it.
    std::string Shown(const std::string& path) const;
    std::string PathOf(const std::string& shown) const;
    // Every file of the load order, then the open files in no list.
    std::vector<std::string> Files() const;
    std::vector<std::string> OpenFiles() const;
    std::size_t ScriptBytes();

    // A NUL byte in the first 8000 bytes: an image or an archive, no script.
    static bool IsBinary(const std::string& text);

private:
    struct TFile {
        bool Read = false;  // Text holds what there is (the disk's or the editor's)
        bool Present = false;
        bool Open = false;
        std::string Text;
        std::unique_ptr<script::TLoadState> Scanned, Defined;
        std::shared_ptr<const script::TScriptFile> Syntax;
        std::optional<std::vector<THeader>> Headers;
    };
    TFile& Entry(const std::string& path);
    TFile* Loaded(const std::string& path);
    const script::TLoadState& ScannedBy(const std::string& path, TFile& file);
    const script::TLoadState& DefinedBy(const std::string& path, TFile& file);
    script::TCheckOptions Options(script::TLoadState* load) const;
    void Changed(const std::string& path, TFile& file);

    // What the rest of the load gives a file, kept while no other file changes: the files before
    // it (their names and what they define) and the names of the files after it.
    struct TBase {
        std::unique_ptr<script::TLoadState> Before, After;
    };
    TBase& BaseOf(const std::string& path, std::size_t place);
    std::map<std::string, TBase> Bases_;

    TServerTree Tree_;
    std::unordered_set<std::string> Maps_;
    std::vector<std::string> Order_;  // absolute paths of Tree_.Files
    std::unordered_map<std::string, std::size_t> Place_;
    std::map<std::string, TFile> Files_;
};

} // namespace lsp
