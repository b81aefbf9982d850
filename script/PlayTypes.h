#pragma once
// What a play of one NPC takes and gives: the player it runs against, the answers the player gives
// (menu choices, typed input, button presses, changes made while paused), and the events the run
// produces, each with the source range of the statement that made it.
//
// A run is a pure function of (program, NPC, setup): the same setup always gives the same events.
// A window steps through a run by replaying it with one more answer each time, and rewinds by
// replaying with fewer (SetupAtPause).

#include "script/ServerRules.h"
#include "script/SyntaxTree.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// A script value: an integer or a byte string, as the server keeps them. Integers are 32 bits
// wide on eAthena and Hercules, 64 on rAthena (TPlayRules::IntBits); the interpreter keeps each
// within its server's width.
struct TValue {
    bool IsString = false;
    std::int64_t Int = 0;
    std::string Str;
    bool Unknown = false;  // the result of something not simulated: it takes the other side's type
    bool Void = false;     // what a bare `return;` gives: the server stops a script that uses it

    static TValue Of(std::int64_t value) { return {false, value, {}}; }
    static TValue Of(std::string text) { return {true, 0, std::move(text)}; }
    friend bool operator==(const TValue&, const TValue&) = default;
};

// The character the NPC talks to. Weights are in tenths, as the item database writes them.
struct TPlayerState {
    std::string Name = "Player";  // what strcharinfo(0) gives
    std::int32_t Zeny = 0;
    std::int32_t Class = 0;
    std::int32_t Sex = 1;  // 1 male, 0 female
    std::int32_t BaseLevel = 1;
    std::int32_t JobLevel = 1;
    std::int32_t StatusPoint = 48;
    std::int32_t SkillPoint = 0;
    std::int32_t Hp = 40;
    std::int32_t MaxHp = 40;
    std::int32_t Weight = 0;
    std::int32_t MaxWeight = 20000;
    std::map<std::int32_t, std::int32_t> Inventory;  // item ID -> count, no zero counts
    // Variables of every scope but `.@`, by their name in lower case (or as written for a server
    // that keeps the case of names, TPlayRules::NameKey),
    // with "[i]" appended for array elements other than 0: "quest", "$@count", "@menu", "name$".
    std::map<std::string, TValue> Variables;
    friend bool operator==(const TPlayerState&, const TPlayerState&) = default;
};

// Item names, weights and types; the editor feeds it from its item catalogue.
struct TItemInfo {
    std::int32_t Id = 0;
    std::string Name;  // as shown to the player
    std::int32_t Weight = 0;
    std::string DbName;  // the database's own name (Red_Potion); empty: the same as Name
    std::int32_t Type = 3;  // the database's item type; 3, an etc item, stacks on every server
};

class TItemLookup {
public:
    virtual ~TItemLookup() = default;
    virtual std::optional<TItemInfo> Find(std::int32_t id) const = 0;
    // As the server's itemdb_searchname: the item whose database name, else whose display name,
    // is `name` without regard to case.
    virtual std::optional<TItemInfo> FindByName(std::string_view name) const = 0;
};

// A list of items looked up as the server's item database is: by ID, and by name as its
// itemdb_searchname walks the items in ID order, returning the first whose database name matches
// and otherwise the last whose display name does.
class TItemTable final : public TItemLookup {
public:
    explicit TItemTable(std::vector<TItemInfo> items);
    std::optional<TItemInfo> Find(std::int32_t id) const override;
    std::optional<TItemInfo> FindByName(std::string_view name) const override;

private:
    std::map<std::int32_t, TItemInfo> ById_;
    std::map<std::string, std::int32_t> ByDbName_;       // lower-case name -> ID
    std::map<std::string, std::int32_t> ByDisplayName_;  // lower-case name -> ID
};

enum class TEventKind {
    Mes, Next, Menu, Choose, Input, Close, End, Set, Item, Warp, Command, Fault, Waiting, Edit
};

struct TEvent {
    TEventKind Kind = TEventKind::Mes;
    TSourceRange Range;  // the statement that made the event
    std::string Name;    // Set: parameter; Warp: map; Command: command; Close: close or close2;
                         // Waiting: next, menu or input; Item: item name (may be empty);
                         // Fault: "warning" when the script goes on after it
    std::string Text;    // Mes: text; Input: value typed; Fault: message; Command: note
    std::vector<std::string> Values;  // Menu: options shown; Command: arguments
    std::int32_t From = 0, To = 0;    // Set
    std::int32_t Id = 0, Amount = 0;  // Item (Amount < 0 when taken); Choose: option in Amount
    std::int32_t X = 0, Y = 0;        // Warp
    bool Simulated = true;            // Command: false when the interpreter only recorded it
    int Pause = -1;                   // Next, Choose, Input, Close (close2): its answer's number
    int Line() const { return Range.Begin.Line; }
};

enum class TWaitKind { None, Next, Menu, Input };

// A change the player panel made while the run was paused: applied when the run reaches pause
// number `Pause` again, before that pause is answered.
struct TPlayerEdit {
    int Pause = 0;
    TPlayerState Player;
};

struct TPlaySetup {
    TPlayerState Player;
    std::uint32_t Seed = 0;
    std::vector<int> Choices;  // menu answers in order, 1-based among the options shown; 0 cancels
    std::vector<std::string> Inputs;
    // How many Next (and close2's Close) buttons are pressed; none: every one.
    std::optional<int> Presses;
    std::vector<TPlayerEdit> Edits;
    std::string StartLabel;  // empty: from the start of the NPC
    TTarget Target = TTarget::EAthena;  // whose run-time rules the play follows
    long StepBudget = 1'000'000;
    // Bytes of text the play may build (joined strings) and write (messages, arguments): a
    // runaway loop of long strings ends here, not in memory or time.
    std::size_t ByteBudget = std::size_t(256) << 20;
};

enum class TOutcome { Ended, Waiting, Faulted };

struct TRunResult {
    std::vector<TEvent> Events;
    TPlayerState Player;  // as the run left it
    TOutcome Outcome = TOutcome::Ended;
    TWaitKind WaitingFor = TWaitKind::None;
    std::vector<std::string> Options;  // the menu waiting for a choice
    bool Approximate = false;          // something was not simulated
    bool HasFault() const;
    int Pauses = 0;  // pauses answered
    long Steps = 0;
};

// The setup that replays `result` (a run of `setup`) up to its pause number `pause` and waits
// there: the rewind of the play-test history.
TPlaySetup SetupAtPause(const TPlaySetup& setup, const TRunResult& result, int pause);

} // namespace script
