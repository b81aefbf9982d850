#pragma once
// A script file open for editing: the bytes as read, cut into parts that cover the file exactly
// (each top-level entry the server's loader reads, and the text between entries: comments, blank
// lines, lines the loader skips). An edit replaces the bytes of whole entries; every other byte
// (line ends CR LF or LF, the encoding, a last line without a line end) is written back as read,
// so a file saved without a change is the file it was.

#include "import/Import.h"

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

// What a part of the file is.
enum class TPartKind { Between, Npc, Function, Shop, Warp, Duplicate, Monster, Mapflag };

struct TScriptPart {
    TPartKind Kind = TPartKind::Between;
    std::size_t Begin = 0;  // byte range in the file as read, end exclusive
    std::size_t End = 0;
    int FirstLine = 1;      // from 1
    int LastLine = 1;
    std::string Name;       // an entry's name as written; empty between entries
    bool Importable = false;
    // Why the entry cannot be opened as tasks; for text between entries that the loader does not
    // read (a line it skips), the reader's message.
    std::string Reason;
    std::size_t Entry = 0;  // an entry's index among the reader's entries

    bool IsEntry() const { return Kind != TPartKind::Between; }
};

// "NPC", "function", "shop", "warp", "duplicate", "monster", "map flag"; "text" between entries.
const char* PartKindName(TPartKind kind);

// Files above this size are refused before they are read: no server's script is near it.
inline constexpr std::size_t MaxScriptFileSize = 16u << 20;

// One load error of a file about to be saved.
struct TSaveProblem {
    script::TDiagnostic Diagnostic;
    bool New = false;  // the file as read does not have it
};

class TScriptWorkspace {
public:
    // Reads the file. EInOutError naming it when it cannot be read, is larger than
    // MaxScriptFileSize, holds a zero byte (a binary file), or is no script the loader reads to
    // its end (not a script, a body whose braces never close): the message says where and why.
    static std::unique_ptr<TScriptWorkspace> Open(const std::string& path,
                                                  script::TTarget target = script::TTarget::EAthena);
    // The same for bytes already read; fileName names them in messages and is where Save writes.
    TScriptWorkspace(const std::string& fileName, std::string bytes, script::TTarget target);

    const std::string& FileName() const { return FileName_; }
    script::TTarget Target() const { return Target_; }
    // The file as read (or as last saved).
    const std::string& Bytes() const { return Bytes_; }
    // The file as read, read again with its syntax trees for an import: the open file keeps only
    // its bytes and parts (a tree takes many times the bytes of its text).
    std::unique_ptr<TImportSource> FullSource() const;
    // The file as it will be saved, read the same way, and the reader's entry there that is part
    // as edited: an NPC opened as tasks starts from the text the user has, not from the disk's.
    // EImportError when that text is no entry an import can take (an edit as code made it two, or
    // a floating NPC).
    std::unique_ptr<TImportSource> NewSource() const;
    const script::TTopLevel& EditedEntry(const TImportSource& newSource, std::size_t part) const;
    const std::vector<TScriptPart>& Parts() const { return Parts_; }
    // The parts that are entries, by their index in Parts.
    std::vector<std::size_t> EntryParts() const;
    // The part of entry, by its index among the reader's entries.
    std::size_t PartOfEntry(std::size_t entry) const;

    // The bytes of a part as read.
    std::string PartText(std::size_t part) const;
    // The line end the part's lines are written with: its own, else the file's, else CR LF.
    std::string LineEndOf(std::size_t part) const;
    // Replaces an entry's bytes by text, whose lines (split at LF, a CR before it dropped) are
    // joined with the line ends of the entry's lines they stand in for (the entry's first line end
    // past its old lines). Text equal to the entry as read takes the edit back.
    void SetPartText(std::size_t part, const std::string& text);
    // Takes back the edit of a part.
    void RevertPart(std::size_t part);
    // Gives part exactly bytes, an earlier CurrentText of it (none when they are the bytes read).
    void RestorePart(std::size_t part, const std::string& bytes);
    bool IsChanged(std::size_t part) const { return Edits_.count(part) > 0; }
    bool IsModified() const { return !Edits_.empty(); }
    // The text of a part as it will be saved.
    std::string CurrentText(std::size_t part) const;
    // The whole file as it will be saved.
    std::string NewBytes() const;
    // The line (from 1) part starts on in NewBytes: earlier edits may have added or taken lines.
    int NewFirstLine(std::size_t part) const;

    // The load errors of the file as it will be saved, for the target; those the file as read
    // does not have are New.
    std::vector<TSaveProblem> CheckNewBytes() const;
    // The file on disk is no longer the one read (or last saved): an editor or `git pull` wrote
    // it. False when it cannot be read either.
    bool ChangedOnDisk() const;
    // Writes NewBytes once, safely, and takes the result as the file read: the edits are gone,
    // the parts found again. EInOutError when the file cannot be written (it stays as it was).
    void Save();

private:
    // Reads bytes: the parts found, the bytes kept; returns the reader's diagnostics.
    std::vector<script::TDiagnostic> Read(std::string bytes);
    void FindParts(const TImportSource& source);

    std::string FileName_;
    std::string Bytes_;
    script::TTarget Target_;
    std::vector<TScriptPart> Parts_;
    std::map<std::size_t, std::string> Edits_;  // part -> its new bytes
};

// Lines joined with lineEnd, none after the last: the text of an entry inside a file.
std::string JoinLines(const std::vector<std::string>& lines, const std::string& lineEnd);
