#include "check/Lint.h"

#include "catalogue/Catalogues.h"
#include "platform/FileAccess.h"
#include "script/Checker.h"

#include <iostream>
#include <algorithm>
#include <iterator>
#include <unordered_set>

namespace {

std::string ReadInput(const std::string& file, std::istream& in)
{
    if (file != "-")
        return ReadWholeFile(file);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw EInOutError("<stdin>", "cannot be read");
    return bytes;
}

// The files of a load-order list, in its order.
std::vector<std::string> LoadOrderFiles(const std::filesystem::path& list)
{
    std::vector<std::string> files;
    const std::string text = ReadWholeFile(list.string());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line.compare(first, 2, "//") != 0)
            files.push_back(line.substr(first));
    }
    return files;
}

struct TLintFile {
    std::string Shown;
    std::string Text;
};

} // namespace

std::unordered_set<std::string> CatalogueMapNames(const std::filesystem::path& dir)
{
    if (!std::filesystem::is_regular_file(dir / "maps.ini"))
        throw EInOutError((dir / "maps.ini").string(), "no maps catalogue there");
    // A catalogue of its own: a check never touches the catalogues an open project reads.
    TCatalogues catalogues;
    catalogues.LoadMaps(dir);
    std::unordered_set<std::string> maps;
    for (const auto& map : catalogues.Maps)
        maps.insert(script::MapKey(map->MapFile));
    return maps;
}

int RunLint(const TLintRequest& request, std::istream& in, std::ostream& out, std::ostream& err)
{
    script::TCheckOptions options;
    options.Target = request.Target;
    std::unordered_set<std::string> maps;
    try {
        if (request.DataDir) {
            maps = CatalogueMapNames(*request.DataDir);
            options.Maps = &maps;
        }
    } catch (const std::exception& e) {
        err << "npc-lint: " << e.what() << '\n';
        return LintUnusable;
    }
    std::vector<std::string> names = request.Files;
    if (request.LoadOrder) {
        try {
            for (std::string& file : LoadOrderFiles(*request.LoadOrder))
                names.push_back(std::move(file));
        } catch (const std::exception& e) {
            err << "npc-lint: " << e.what() << '\n';
            return LintUnusable;
        }
    }
    // Every file is read before the first is checked, so that a name defined by a later file is
    // told from one that none defines.
    int errors = 0, warnings = 0, unreadable = 0;
    std::vector<TLintFile> files;
    script::TLoadState load(request.Target);
    if (request.Complete)
        load.MarkComplete();
    options.Load = &load;
    for (const std::string& file : names) {
        try {
            files.push_back({file == "-" ? "<stdin>" : file, ReadInput(file, in)});
            load.Scan(files.back().Text, files.back().Shown);
        } catch (const std::exception& e) {
            err << "npc-lint: " << e.what() << '\n';
            ++unreadable;
        }
    }
    for (const TLintFile& file : files) {
        load.Begin(file.Shown);
        for (const script::TDiagnostic& d : script::CheckScript(file.Text, options)) {
            const bool error = d.Severity == script::TSeverity::Error;
            (error ? errors : warnings) += 1;
            out << file.Shown << ':' << d.Range.Begin.Line << ':' << d.Range.Begin.Column << ": "
                << (error ? "error" : "warning") << ": " << d.Message << '\n';
        }
    }
    err << "npc-lint: " << files.size() << " file(s) checked for "
        << script::TargetName(request.Target) << ", " << errors << " error(s), " << warnings
        << " warning(s)";
    if (unreadable)
        err << ", " << unreadable << " unreadable";
    err << '\n';
    if (unreadable)
        return LintUnusable;
    return errors ? LintErrors : LintClean;
}
