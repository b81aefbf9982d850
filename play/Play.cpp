#include "play/Play.h"

#include "output/Export.h"
#include "model/ProjectFile.h"
#include "model/Project.h"

#include "platform/FileAccess.h"
#include "model/Records.h"

#include "script/FileReader.h"
#include "script/Interpreter.h"
#include "script/Text.h"
#include "script/Transcript.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>
#include <ostream>
#include <stdexcept>

namespace {

constexpr const char* ProgramName = "npc-play";

std::int32_t ToInt32(std::string_view text, std::string_view entry)
{
    std::int32_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || end != last)
        throw std::invalid_argument("--player " + std::string(entry) + ": " + std::string(text) +
                                    " is not a whole number");
    return value;
}

// The player's values --player sets (and the play-test window's player panel edits), by the
// option's key and the parameter's name in scripts.
struct TPlayerKey {
    const char* Key;
    const char* Name;
    std::int32_t script::TPlayerState::*Field;
};

constexpr TPlayerKey PlayerKeys[] = {
    {"zeny", "Zeny", &script::TPlayerState::Zeny},
    {"class", "Class", &script::TPlayerState::Class},
    {"sex", "Sex", &script::TPlayerState::Sex},
    {"baselevel", "BaseLevel", &script::TPlayerState::BaseLevel},
    {"joblevel", "JobLevel", &script::TPlayerState::JobLevel},
    {"statuspoint", "StatusPoint", &script::TPlayerState::StatusPoint},
    {"weight", "Weight", &script::TPlayerState::Weight},
    {"maxweight", "MaxWeight", &script::TPlayerState::MaxWeight},
};

bool EndsWithNpc(const std::string& path)
{
    const std::string ext = std::filesystem::path(path).extension().string();
    return ext.size() == 4 && (ext[1] | 0x20) == 'n' && (ext[2] | 0x20) == 'p' && (ext[3] | 0x20) == 'c';
}

} // namespace

TPlayerOption ParsePlayerOption(std::string_view given)
{
    TPlayerOption result;
    script::TPlayerState& p = result.Player;
    std::size_t start = 0;
    while (start < given.size()) {
        const std::size_t comma = std::min(given.find(',', start), given.size());
        const std::string_view entry = given.substr(start, comma - start);
        start = comma + 1;
        const std::size_t eq = entry.rfind('=');
        if (eq == std::string_view::npos)
            throw std::invalid_argument("--player " + std::string(entry) + ": KEY=VALUE expected");
        const std::string key = script::LowerCase(entry.substr(0, eq));
        const std::string_view value = entry.substr(eq + 1);
        if (key.rfind("var:", 0) == 0 && key.size() > 4) {
            // As written: whether case counts in a name is the target server's rule, which the
            // play applies when it starts.
            const std::string name(entry.substr(4, eq - 4));
            p.Variables[name] = name.back() == '$' ? script::TValue::Of(std::string(value))
                                                    : script::TValue::Of(ToInt32(value, entry));
            continue;
        }
        if (key.rfind("item:", 0) == 0) {
            const std::int32_t count = ToInt32(value, entry);
            if (count < 0)
                throw std::invalid_argument("--player " + std::string(entry) + ": a count cannot be negative");
            if (count > 0)
                p.Inventory[ToInt32(key.substr(5), entry)] = count;
            continue;
        }
        const TPlayerKey* found = nullptr;
        for (const TPlayerKey& k : PlayerKeys)
            if (key == k.Key)
                found = &k;
        if (!found)
            throw std::invalid_argument("--player " + std::string(entry) + ": unknown key " + key);
        p.*(found->Field) = ToInt32(value, entry);
        result.WeightGiven |= key == "weight";
    }
    return result;
}

std::string PlayerOptionText(const script::TPlayerState& p)
{
    std::string option;
    for (const TPlayerKey& k : PlayerKeys)
        option += (option.empty() ? "" : ",") + std::string(k.Key) + "=" + std::to_string(p.*(k.Field));
    for (const auto& [id, count] : p.Inventory)
        option += ",item:" + std::to_string(id) + "=" + std::to_string(count);
    return option;
}

std::vector<TPlayerChange> PlayerChanges(const script::TPlayerState& before, const script::TPlayerState& after)
{
    std::vector<TPlayerChange> changes;
    for (const TPlayerKey& k : PlayerKeys)
        if (before.*(k.Field) != after.*(k.Field))
            changes.push_back({k.Name, 0, before.*(k.Field), after.*(k.Field)});
    const auto count = [](const script::TPlayerState& p, std::int32_t id) {
        const auto found = p.Inventory.find(id);
        return found == p.Inventory.end() ? 0 : found->second;
    };
    std::map<std::int32_t, std::int32_t> items = before.Inventory;
    items.insert(after.Inventory.begin(), after.Inventory.end());
    for (const auto& [id, ignored] : items)
        if (count(before, id) != count(after, id))
            changes.push_back({"item " + std::to_string(id), id, count(before, id), count(after, id)});
    return changes;
}

script::TPlayerState WithChanges(script::TPlayerState player, const std::vector<TPlayerChange>& changes)
{
    for (const TPlayerChange& change : changes) {
        if (change.Item != 0) {
            if (change.To > 0)
                player.Inventory[change.Item] = change.To;
            else
                player.Inventory.erase(change.Item);
            continue;
        }
        for (const TPlayerKey& k : PlayerKeys)
            if (change.Name == k.Name)
                player.*(k.Field) = change.To;
    }
    return player;
}

namespace {

std::vector<script::TItemInfo> CatalogueItemInfos(const TCatalogues& catalogues)
{
    std::vector<script::TItemInfo> items;
    items.reserve(catalogues.Items.size());
    for (const auto& item : catalogues.Items)
        items.push_back({item->ID, item->Name, item->Weight, item->DbName, item->Type});
    return items;
}

} // namespace

TCatalogueItems::TCatalogueItems(const TCatalogues& catalogues) : Table_(CatalogueItemInfos(catalogues)) {}

std::optional<script::TItemInfo> TCatalogueItems::Find(std::int32_t id) const
{
    return Table_.Find(id);
}

std::optional<script::TItemInfo> TCatalogueItems::FindByName(std::string_view name) const
{
    return Table_.FindByName(name);
}

script::TTextDecoder PlayTextDecoder(const std::string& encoding)
{
    if (encoding.empty() || encoding == "ISO-8859-1")
        return script::Latin1ToUtf8;
    if (!QStringDecoder(encoding.c_str()).isValid())
        throw std::invalid_argument("unknown encoding " + encoding);
    return [encoding](std::string_view bytes) {
        QStringDecoder decoder(encoding.c_str(), QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        return text.toStdString();
    };
}

namespace {

// What the player types (UTF-8 from the command line) in the script's encoding, as the client
// would send it.
std::string ScriptBytes(const std::string& typed, const std::string& encoding)
{
    if (encoding.empty())
        return QString::fromStdString(typed).toLatin1().toStdString();
    QStringEncoder encoder(encoding.c_str(), QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(QString::fromStdString(typed));
    return bytes.toStdString();
}

} // namespace

std::string PlayableScript(const TPlayRequest& request, std::ostream& err)
{
    if (!EndsWithNpc(request.Path))
        return ReadWholeFile(request.Path);
    const std::unique_ptr<TProject> project = ReadProjectFile(request.Path, ReadScriptCatalogues(request.DataDir));
    const TExportedScript script = ScriptText(*project);
    for (const std::string& problem : script.Problems)
        err << ProgramName << ": warning: " << request.Path << ": " << problem << '\n';
    return script.Text;
}

TProjectPlay::TProjectPlay(const TProject& project)
    : Items_(project.Catalogues()), WithItems_(!project.Catalogues().Items.empty()), Target_(project.HeaderInfo.Target)
{
    TExportedScript script = ScriptText(project);
    Text_ = std::move(script.Text);
    Problems_ = std::move(script.Problems);
    LineTasks_.reserve(script.LineTasks.size());
    for (const TTask* task : script.LineTasks)
        LineTasks_.emplace_back(task);
    File_ = std::make_unique<script::TScriptFile>(script::ReadScriptFile(Text_, Target_));
    Program_ = std::make_unique<script::TProgram>(*File_);
}

TProjectPlay::~TProjectPlay() = default;

script::TRunResult TProjectPlay::Play(const script::TPlaySetup& setup) const
{
    script::TPlaySetup forTarget = setup;
    forTarget.Target = Target_;
    return script::Play(*Program_, {}, forTarget, WithItems_ ? &Items_ : nullptr);
}

const TTask* TProjectPlay::TaskAtLine(int line) const
{
    if (line < 1 || static_cast<std::size_t>(line) > LineTasks_.size())
        return nullptr;
    return LineTasks_[static_cast<std::size_t>(line - 1)].get();
}

int RunPlay(const TPlayRequest& request, std::ostream& out, std::ostream& err)
{
    try {
        return RunPlayText(request, PlayableScript(request, err), out, err);
    } catch (const std::exception& error) {
        err << ProgramName << ": " << error.what() << '\n';
        return 1;
    }
}

int RunPlayText(const TPlayRequest& request, const std::string& text, std::ostream& out, std::ostream& err)
{
    try {
        const TPlayerOption given = ParsePlayerOption(request.Player);
        const script::TTextDecoder decode = PlayTextDecoder(request.Encoding);
        std::error_code ignored;
        const bool haveItems = std::filesystem::is_regular_file(request.DataDir / "item_db.txt", ignored);
        TCatalogues catalogues;
        if (haveItems)
            catalogues.LoadItems(request.DataDir);
        const TCatalogueItems catalogue(catalogues);
        const bool haveConstants = std::filesystem::is_regular_file(request.DataDir / "const.txt", ignored);
        const script::TConstants constants =
            haveConstants ? script::ReadConstants(ReadWholeFile((request.DataDir / "const.txt").string())) : script::TConstants{};

        script::TPlaySetup setup;
        setup.Player = given.Player;
        setup.Seed = request.Seed;
        setup.Target = request.Target;
        setup.Choices = request.Choices;
        for (const std::string& typed : request.Inputs)
            setup.Inputs.push_back(ScriptBytes(typed, request.Encoding));
        if (!given.WeightGiven) {
            std::int64_t weight = 0;
            for (const auto& [id, count] : setup.Player.Inventory)
                if (const auto item = catalogue.Find(id))
                    weight += static_cast<std::int64_t>(item->Weight) * count;
            setup.Player.Weight = static_cast<std::int32_t>(std::clamp<std::int64_t>(weight, 0, INT32_MAX));
        }

        const script::TScriptFile file = script::ReadScriptFile(text, request.Target);
        for (const script::TDiagnostic& d : file.Diagnostics)
            if (d.Severity == script::TSeverity::Error)
                err << ProgramName << ": warning: " << request.Path << ":" << d.Range.Begin.Line << ": "
                    << decode(d.Message) << '\n';
        const script::TProgram program(file);
        const script::TRunResult result =
            script::Play(program, request.Npc, setup, haveItems ? &catalogue : nullptr, &constants);
        out << (request.Json ? script::JsonLines(result, decode) : script::Transcript(result, decode));
        out.flush();
        return result.Outcome == script::TOutcome::Faulted ? 1 : 0;
    } catch (const std::exception& error) {
        err << ProgramName << ": " << error.what() << '\n';
        return 1;
    }
}
