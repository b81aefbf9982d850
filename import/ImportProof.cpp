#include "import/ImportProof.h"

#include "output/Export.h"

#include "model/Records.h"
#include "script/Checker.h"
#include "script/FileReader.h"
#include "script/Interpreter.h"
#include "script/Transcript.h"

#include <cctype>
#include <set>

namespace {

// Answers typed into input boxes, the same on both sides, so that paths go on past them.
constexpr int TypedAnswers = 8;

// Words of text that are old label names, read as the labels the import gave their groups.
std::string RenameLabels(const std::string& text, const std::map<std::string, std::string>& labels)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
        if (!isWord(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && isWord(text[end]))
            ++end;
        const std::string word = text.substr(i, end - i);
        const auto found = labels.find(script::LowerCase(word));
        out += found == labels.end() ? word : found->second;
        i = end;
    }
    return out;
}

// "line N" in a fault's text: where the script stands differs between the two, what went wrong
// does not.
std::string WithoutLines(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text.compare(i, 5, "line ") == 0 && i + 5 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 5]))) {
            out += "ine N";
            for (i += 5; i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]));)
                ++i;
        }
    }
    return out;
}

// The original's event as the imported script should give it.
script::TEvent Expected(script::TEvent event, const std::map<std::string, std::string>& labels)
{
    if (event.Kind == script::TEventKind::Fault)
        event.Text = WithoutLines(event.Text);
    if (event.Kind == script::TEventKind::Fault || event.Kind == script::TEventKind::Command) {
        event.Text = RenameLabels(event.Text, labels);
        for (std::string& value : event.Values)
            value = RenameLabels(value, labels);
    }
    return event;
}

bool SameEvent(const script::TEvent& a, const script::TEvent& b)
{
    return a.Kind == b.Kind && a.Name == b.Name && a.Text == b.Text && a.Values == b.Values && a.From == b.From &&
           a.To == b.To && a.Id == b.Id && a.Amount == b.Amount && a.X == b.X && a.Y == b.Y &&
           a.Simulated == b.Simulated && a.Pause == b.Pause;
}

std::string PathText(const std::vector<int>& choices)
{
    std::string text;
    for (int c : choices)
        text += (text.empty() ? "" : ",") + std::to_string(c);
    return text.empty() ? "no choice" : "choices " + text;
}

class TPathProof {
public:
    // Plays from the NPC's start, or from the event label start (as the original names it).
    TPathProof(const script::TProgram& original, const script::TProgram& imported, const std::string& npc,
               const TImportResult& import, const TProofOptions& options, const script::TPlayerState& player,
               const std::string& start = {})
        : Original_(original), Imported_(imported), Npc_(npc), Import_(import), Options_(options)
    {
        Setup_.Player = player;
        Setup_.Target = options.Target;
        Setup_.Inputs.assign(TypedAnswers, "1");
        Start_ = start;
        if (!start.empty()) {
            const auto renamed = import.Labels.find(script::LowerCase(start));
            ImportedStart_ = renamed != import.Labels.end() ? renamed->second : start;
        }
    }

    // Empty when every path gives the same events.
    std::string Run(int& paths)
    {
        std::vector<int> choices;
        Explore(choices);
        paths = Paths_;
        return Failure_;
    }

private:
    void Explore(std::vector<int>& choices)
    {
        if (!Failure_.empty() || Paths_ >= Options_.MaxPaths)
            return;
        Setup_.Choices = choices;
        Setup_.StartLabel = Start_;
        const script::TRunResult want = script::Play(Original_, Npc_, Setup_, nullptr);
        Setup_.StartLabel = ImportedStart_;
        const script::TRunResult got = script::Play(Imported_, Npc_, Setup_, nullptr);
        if (!Compare(want, got, choices))
            return;
        const bool menu = want.Outcome == script::TOutcome::Waiting && want.WaitingFor == script::TWaitKind::Menu;
        if (!menu || static_cast<int>(choices.size()) >= Options_.MaxDepth) {
            ++Paths_;
            return;
        }
        for (std::size_t option = 1; option <= want.Options.size(); ++option) {
            choices.push_back(static_cast<int>(option));
            Explore(choices);
            choices.pop_back();
        }
    }

    bool Compare(const script::TRunResult& want, const script::TRunResult& got, const std::vector<int>& choices)
    {
        const std::size_t n = std::min(want.Events.size(), got.Events.size());
        for (std::size_t i = 0; i < n; ++i) {
            const script::TEvent expected = Expected(want.Events[i], Import_.Labels);
            script::TEvent given = got.Events[i];
            if (given.Kind == script::TEventKind::Fault)
                given.Text = WithoutLines(given.Text);
            if (!SameEvent(expected, given)) {
                Failure_ = PathText(choices) + ": event " + std::to_string(i + 1) + " was \"" +
                           script::TranscriptLine(expected) + "\", the import gives \"" +
                           script::TranscriptLine(got.Events[i]) + "\"";
                return false;
            }
        }
        if (want.Events.size() != got.Events.size() || want.Outcome != got.Outcome || want.Options != got.Options) {
            Failure_ = PathText(choices) + ": the original gives " + std::to_string(want.Events.size()) +
                       " events, the import " + std::to_string(got.Events.size());
            return false;
        }
        return true;
    }

    const script::TProgram& Original_;
    const script::TProgram& Imported_;
    std::string Npc_;
    const TImportResult& Import_;
    const TProofOptions& Options_;
    script::TPlaySetup Setup_;
    std::string Start_, ImportedStart_;
    int Paths_ = 0;
    std::string Failure_;
};

// Both scripts play for a new character and for a wealthy, experienced one, so that the branches
// on money and levels are taken both ways.
std::vector<std::pair<std::string, script::TPlayerState>> ProofPlayers()
{
    script::TPlayerState rich;
    rich.Zeny = 10'000'000;
    rich.BaseLevel = 99;
    rich.JobLevel = 50;
    rich.StatusPoint = 0;
    return {{"for a new character", script::TPlayerState{}}, {"for a rich character", rich}};
}

// The file's functions: both NPCs may call them.
std::string FunctionsText(const TImportSource& source)
{
    std::string text;
    for (const script::TTopLevel& entry : source.File.Entries)
        if (entry.Kind == script::TTopKind::Function)
            text += "\n" + source.Slice(entry.Range) + "\n";
    return text;
}

} // namespace

std::unordered_set<std::string> ProofMaps(const TCatalogues& catalogues)
{
    std::unordered_set<std::string> maps = script::BuiltInMaps();
    for (const auto& map : catalogues.Maps)
        maps.insert(script::MapKey(map->MapFile));
    return maps;
}

TProofResult ProveImport(const TImportSource& source, const script::TTopLevel& entry, const TImportResult& import,
                         const TProofOptions& options)
{
    TProofResult proof;
    {
        // A map the catalogue lacks is written as the script names it: the proof is about the
        // tasks, the record's map is reported by the import.
        const TExportedScript script = TreeScriptText(*import.Project, import.OriginalMap);
        if (!script.Problems.empty()) {
            proof.Reason = "the editor's script is unfit: " + script.Problems.front();
            return proof;
        }
        proof.Script = script.Text;
    }
    // The NPC's own map is the record's business (reported by the import), not the proof's.
    std::unordered_set<std::string> maps = options.Maps ? *options.Maps : script::BuiltInMaps(options.Target);
    maps.insert(script::MapKey(import.OriginalMap));
    script::TCheckOptions check;
    check.Target = options.Target;
    check.Maps = &maps;
    // The NPC may call the functions of its file, as the original did; an error the original has
    // too (a function of another file, say) is the original's, not the import's.
    const std::string functions = FunctionsText(source);
    std::multiset<std::string> excused;
    for (const script::TDiagnostic& d : script::CheckScriptText(source.Slice(entry.Range) + "\n" + functions, check))
        if (d.Severity == script::TSeverity::Error)
            excused.insert(d.Message);
    for (const script::TDiagnostic& d : script::CheckScriptText(proof.Script + functions, check))
        if (d.Severity == script::TSeverity::Error) {
            const auto found = excused.find(d.Message);
            if (found != excused.end()) {
                excused.erase(found);
                continue;
            }
            proof.Reason = "the editor's script has a checker error at line " + std::to_string(d.Range.Begin.Line) +
                           ": " + d.Message;
            return proof;
        }
    const script::TScriptFile originalFile = script::ReadScriptFile(source.Slice(entry.Range) + "\n" + functions, options.Target);
    const script::TScriptFile importedFile = script::ReadScriptFile(proof.Script + functions, options.Target);
    const script::TProgram original(originalFile);
    const script::TProgram imported(importedFile);
    // Both sides would fail alike, which proves nothing: the source is what the user must fix.
    if (const script::TCodeUnit* unit = original.Npc(entry.Name);
        unit && !unit->LoadErrors[static_cast<std::size_t>(options.Target)].empty()) {
        proof.Reason = std::string("the source itself does not load on ") + script::TargetName(options.Target) +
                       ": " + unit->LoadErrors[static_cast<std::size_t>(options.Target)];
        return proof;
    }
    // A click, then every event label of the NPC's (OnTouch, OnInit, ...) as the server would run it.
    std::vector<std::string> starts{std::string()};
    for (const auto& s : entry.Body->Children)
        if (s->Kind == script::TStmtKind::Label && s->Name.starts_with("On"))
            starts.push_back(s->Name);
    for (const std::string& start : starts)
        for (const auto& [who, player] : ProofPlayers()) {
            int paths = 0;
            const std::string failure =
                TPathProof(original, imported, entry.Name, import, options, player, start).Run(paths);
            proof.Paths += paths;
            if (!failure.empty()) {
                proof.Reason = who + (start.empty() ? "" : " at " + start) + ", " + failure;
                return proof;
            }
        }
    proof.Passed = true;
    return proof;
}

TProvedImport ImportAndProve(const TImportSource& source, const script::TTopLevel& entry,
                             const TProofOptions& options)
{
    TProvedImport result;
    result.Import = ImportNpc(source, entry, options.Catalogues, options.Target);
    result.Proof = ProveImport(source, entry, result.Import, options);
    if (!result.Proof.Passed)
        throw EImportError(entry.Name + ": the import fails its proof: " + result.Proof.Reason);
    return result;
}
