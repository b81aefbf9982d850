#pragma once
// Reading a script again after a small edit: an editor that checks its NPC after every change would
// otherwise read the whole text each time. The reader keeps the last text and what it read of it;
// given the next text, it reads again only the top-level statements of the NPC's body that the
// edit touched, and moves the rest down or up by the lines the edit added or took away. Where the
// edit is not confined to such statements (the header, the braces, an error anywhere, a file of
// several entries), it reads the whole text as ReadScriptFile does: the result is always the one
// ReadScriptFile gives.

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <string>
#include <string_view>

namespace script {

class TIncrementalReader {
public:
    // What the last Read changed in the NPC's body: Partial, statements [First, First + Removed)
    // of the body before gave way to [First, First + Inserted) now, and the others are those of
    // before (moved); otherwise the whole text was read anew.
    struct TChange {
        bool Partial = false;
        std::size_t First = 0, Removed = 0, Inserted = 0;
    };

    // Where the next text differs from the last one, when the caller knows it: bytes [Begin, OldEnd)
    // of the last text gave way to the next text's bytes from Begin up to as many before its end
    // as the last text had after OldEnd. The range may be wider than the bytes that changed.
    struct TEdit {
        std::size_t Begin = 0, OldEnd = 0;
        // Whether text is old again: only the edited bytes are compared.
        bool Same(std::string_view old, std::string_view text) const
        {
            return old.size() == text.size() && old.substr(Begin, OldEnd - Begin) == text.substr(Begin, OldEnd - Begin);
        }
    };

    // What ReadScriptFile(text, target) gives; valid until the next Read. Another target than the
    // last one's reads the whole text. With edit, the texts are not compared to find what changed.
    // The text is kept (Text()): a caller that has no more use for it moves it in.
    const TScriptFile& Read(std::string text, TTarget target, const TEdit* edit = nullptr);
    // The text last read.
    const std::string& Text() const { return Text_; }
    TTarget Target() const { return Target_; }
    // How many reads took the shortcut: for the tests that follow it.
    int PartialReads() const { return PartialReads_; }
    const TChange& LastChange() const { return Change_; }

private:
    bool ReadChangedStatements(std::string_view text, const TEdit& edit);
    TEdit EditTo(std::string_view text) const;
    bool Fits(const TEdit& edit, std::string_view text) const;

    TTarget Target_ = TTarget::EAthena;
    bool Valid_ = false;
    std::string Text_;
    TScriptFile File_;
    int PartialReads_ = 0;
    TChange Change_;
};

} // namespace script
