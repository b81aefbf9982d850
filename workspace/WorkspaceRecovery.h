#pragma once
// What crash recovery keeps of a script file with unsaved edits: the file's name and target, and
// for each changed entry its kind, its name, its bytes as read and its new bytes. Restoring puts
// the new bytes back only where the file on disk still holds the entry as it was read, so that a
// file changed since (an editor, `git pull`) never gets edits meant for other lines.

#include "workspace/ScriptWorkspace.h"

#include <string>
#include <vector>

struct TRecoveredEntry {
    TPartKind Kind = TPartKind::Npc;
    std::string Name;
    std::string Old;  // the entry's bytes as read
    std::string New;  // its bytes as edited
    friend bool operator==(const TRecoveredEntry&, const TRecoveredEntry&) = default;
};

struct TScriptEdits {
    std::string FileName;
    script::TTarget Target = script::TTarget::EAthena;
    std::vector<TRecoveredEntry> Entries;
};

// The changed entries of workspace.
TScriptEdits EditsOf(const TScriptWorkspace& workspace);

// The recovery copy's bytes: a line naming the format, then length-counted fields, so that any
// byte of a name or an entry comes back as it was.
std::string EditsBytes(const TScriptEdits& edits);
// Reads them back; EInOutError naming copyName and what is wrong (a copy cut short, another
// format).
TScriptEdits ReadEditsBytes(const std::string& copyName, const std::string& bytes);

// The part of workspace that holds entry as it was read: the one entry of its kind and name with
// its Old bytes. npos, with why, when no entry or more than one is.
std::size_t FindEntryAsRead(const TScriptWorkspace& workspace, const TRecoveredEntry& entry, std::string& why);

// Gives each recovered entry its new bytes in workspace, when every one of them is in the file as
// it was read (FindEntryAsRead), each in an entry of its own. Otherwise changes nothing and
// returns why, naming the first entry that is not. Reading a file again keeping its edits and
// restoring them after a crash both go this way.
std::string ApplyEdits(TScriptWorkspace& workspace, const TScriptEdits& edits);

// The recovered entries' new bytes one after another, each followed by lineEnd: the text offered as
// a file of its own when it cannot go back into the file.
std::string RecoveredText(const TScriptEdits& edits, const std::string& lineEnd);
