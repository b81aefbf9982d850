#include "import/ImportRun.h"

#include "output/Export.h"
#include "model/ProjectFile.h"
#include "import/Import.h"
#include "import/ImportProof.h"

#include "platform/FileAccess.h"
#include "model/Records.h"
#include "script/PlayProgram.h"

#include <ostream>

namespace {

constexpr const char* ProgramName = "npc-import";
constexpr std::size_t MaxFileStem = 60;

void ListNpcs(const TImportSource& source, std::ostream& out)
{
    for (const TImportCandidate& c : ListCandidates(source)) {
        out << c.Name << "\tlines " << c.FirstLine << "-" << c.LastLine << "\t";
        if (c.Importable)
            out << "can be imported\n";
        else
            out << "cannot be imported: " << c.Reason << '\n';
    }
}

std::string Percent(const TImportStats& stats)
{
    if (stats.Statements == 0)
        return "no statements";
    return std::to_string(stats.Structured) + " of " + std::to_string(stats.Statements) + " statements (" +
           std::to_string(100 * stats.Structured / stats.Statements) + " %) structured";
}

// Imports, proves and (with a path) saves one NPC. False, with the reason on err, when it fails.
bool ImportOne(const TImportSource& source, const script::TTopLevel& entry, const std::string& path,
               const TImportRequest& request, const TProofOptions& options, std::ostream& out, std::ostream& err)
{
    try {
        const TProvedImport result = ImportAndProve(source, entry, options);
        for (const std::string& note : result.Import.Notes)
            err << ProgramName << ": " << entry.Name << ": note: " << note << '\n';
        // With its side file: a project for another server must stay one when it is opened.
        if (!path.empty())
            WriteProjectFile(*result.Import.Project, path);
        out << entry.Name << ": " << (path.empty() ? "proved" : "imported to " + path) << ", "
            << Percent(result.Import.Stats);
        if (request.Verify)
            out << ", " << result.Proof.Paths << " menu path(s) played alike";
        out << '\n';
        return true;
    } catch (const std::exception& error) {
        err << ProgramName << ": " << error.what() << "; nothing written\n";
        return false;
    }
}

} // namespace

std::string ProjectFileNameFor(const std::string& npcName, std::set<std::string>& used)
{
    std::string stem;
    for (const char c : npcName.substr(0, npcName.find("::"))) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (keep)
            stem += c;
        else if (stem.empty() || stem.back() != '_')
            stem += '_';
    }
    while (!stem.empty() && stem.front() == '_')
        stem.erase(0, 1);
    stem = stem.substr(0, MaxFileStem);
    while (!stem.empty() && stem.back() == '_')
        stem.pop_back();
    if (stem.empty())
        stem = "npc";
    std::string name = stem;
    for (int n = 2; used.count(script::LowerCase(name)); ++n)
        name = stem + "_" + std::to_string(n);
    used.insert(script::LowerCase(name));
    return name + ".NPC";
}

int RunImport(const TImportRequest& request, std::ostream& out, std::ostream& err)
{
    try {
        const std::shared_ptr<const TCatalogues> catalogues = ReadScriptCatalogues(request.DataDir);
        // Read with the chosen server's rules, as the checker and the play read it: Hercules joins
        // `"a" "b"`, which eAthena refuses.
        const TImportSource source(request.Script, ReadWholeFile(request.Script), request.Target);
        if (request.Mode == TImportMode::List) {
            ListNpcs(source, out);
            return ImportDone;
        }
        const std::unordered_set<std::string> maps = ProofMaps(*catalogues);
        TProofOptions options;
        options.Target = request.Target;
        options.Maps = &maps;
        options.Catalogues = catalogues;
        if (request.Mode == TImportMode::One) {
            const script::TTopLevel& entry = FindImportable(source, request.Npc);
            return ImportOne(source, entry, request.Output, request, options, out, err) ? ImportDone : ImportFailed;
        }
        if (!request.Output.empty())
            std::filesystem::create_directories(request.Output);
        std::set<std::string> used;
        bool allDone = true;
        for (const TImportCandidate& c : ListCandidates(source)) {
            if (!c.Importable) {
                out << c.Name << ": skipped, " << c.Reason << '\n';
                continue;
            }
            const std::string path = request.Output.empty()
                                         ? std::string()
                                         : (std::filesystem::path(request.Output) / ProjectFileNameFor(c.Name, used)).string();
            allDone &= ImportOne(source, source.File.Entries[c.Entry], path, request, options, out, err);
        }
        return allDone ? ImportDone : ImportFailed;
    } catch (const std::exception& error) {
        err << ProgramName << ": " << error.what() << '\n';
        return ImportFailed;
    }
}
