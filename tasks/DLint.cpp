#include "tasks/DLint.h"

#include "global/DCatalogues.h"
#include "global/DFileAccess.h"
#include "script/Checker.h"

#include <iostream>
#include <iterator>
#include <unordered_set>

namespace {

// The maps of the editor's catalogue, as the server looks them up.
std::unordered_set<std::string> CatalogueMaps(const std::filesystem::path& dir)
{
    if (!std::filesystem::is_regular_file(dir / "maps.ini"))
        throw EInOutError((dir / "maps.ini").string(), "no maps catalogue there");
    MapList.clear();
    LoadMaps(dir);
    std::unordered_set<std::string> maps;
    for (const auto& map : MapList)
        maps.insert(script::MapKey(map->MapFile));
    MapList.clear();
    return maps;
}

std::string ReadInput(const std::string& file, std::istream& in)
{
    if (file != "-")
        return ReadWholeFile(file);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw EInOutError("<stdin>", "cannot be read");
    return bytes;
}

} // namespace

int RunLint(const TLintRequest& request, std::istream& in, std::ostream& out, std::ostream& err)
{
    script::TCheckOptions options;
    options.Target = request.Target;
    std::unordered_set<std::string> maps;
    try {
        if (request.DataDir) {
            maps = CatalogueMaps(*request.DataDir);
            options.Maps = &maps;
        }
    } catch (const std::exception& e) {
        err << "npc-lint: " << e.what() << '\n';
        return LintUnusable;
    }
    int errors = 0, warnings = 0, unreadable = 0;
    for (const std::string& file : request.Files) {
        std::string text;
        try {
            text = ReadInput(file, in);
        } catch (const std::exception& e) {
            err << "npc-lint: " << e.what() << '\n';
            ++unreadable;
            continue;
        }
        const std::string shown = file == "-" ? "<stdin>" : file;
        for (const script::TDiagnostic& d : script::CheckScript(text, options)) {
            const bool error = d.Severity == script::TSeverity::Error;
            (error ? errors : warnings) += 1;
            out << shown << ':' << d.Range.Begin.Line << ':' << d.Range.Begin.Column << ": "
                << (error ? "error" : "warning") << ": " << d.Message << '\n';
        }
    }
    err << "npc-lint: " << request.Files.size() - unreadable << " file(s) checked for "
        << script::TargetName(request.Target) << ", " << errors << " error(s), " << warnings
        << " warning(s)";
    if (unreadable)
        err << ", " << unreadable << " unreadable";
    err << '\n';
    if (unreadable)
        return LintUnusable;
    return errors ? LintErrors : LintClean;
}
