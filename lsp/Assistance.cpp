// What the editor shows while typing: hover, completion, colours, and the play command.

#include "lsp/Features.h"

#include "lsp/Json.h"
#include "lsp/Server.h"
#include "script/SyntaxWalk.h"
#include "output/Highlight.h"
#include "play/Play.h"
#include "script/ServerRules.h"
#include "script/ServerTables.h"

#include <QJsonArray>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace lsp {

namespace {

// Token types by the highlighter's colours, in the legend's order.
enum TTokenType { Comment, String, Number, Keyword, Operator, Function, Variable, Label };

std::optional<int> TokenType(const TColourRange& range, std::string_view line)
{
    if (!range.Colour || range.Length <= 0)
        return std::nullopt;
    const TRgb colour = *range.Colour;
    const bool word = std::isalpha(static_cast<unsigned char>(line[range.Start])) || line[range.Start] == '_';
    if (colour == ColourSilver)
        return Comment;
    if (colour == ColourRed)
        return String;
    if (colour == ColourAqua)
        return Number;
    if (colour == ColourWhite)
        return word ? Keyword : Operator;
    if (colour == ColourSkyBlue)
        return Variable;
    if (colour == ColourLime)
        return Label;
    if (colour == ColourYellow && word)
        return Function;
    return std::nullopt;
}

bool StartsWithLetters(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::string WordAt(const std::string& text, std::size_t offset, std::size_t* begin = nullptr)
{
    const auto nameChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    std::size_t start = offset, end = offset;
    while (start > 0 && nameChar(text[start - 1]))
        --start;
    while (end < text.size() && nameChar(text[end]))
        ++end;
    if (begin)
        *begin = start;
    return text.substr(start, end - start);
}

// The item command whose first argument the text before a word being typed is ready for, as in
// `getitem `, `countitem(` or `delitem "`; quoted: the word is inside a string.
bool ItemArgumentNext(std::string_view before, script::TTarget target, bool& quoted)
{
    quoted = before.ends_with('"');
    if (quoted)
        before.remove_suffix(1);
    const auto trimmed = [&before] {
        const std::size_t size = before.size();
        while (!before.empty() && (before.back() == ' ' || before.back() == '\t'))
            before.remove_suffix(1);
        return before.size() != size;
    };
    bool separated = trimmed();
    if (before.ends_with('(')) {
        before.remove_suffix(1);
        trimmed();
        separated = true;
    }
    const std::string command = WordAt(std::string(before), before.size());
    return separated && !command.empty() && TakesItem(command, target);
}

} // namespace

const TItemDb& TFeatures::Items()
{
    if (!Items_) {
        try {
            Items_ = TItemDb::Read(Workspace_.Tree());
        } catch (const std::exception& e) {
            Items_.emplace();
            if (Log_)
                Log_(std::string("no item names or hovers: ") + e.what());
        }
    }
    return *Items_;
}

// The item an item command's first argument under offset names (its ID, its name in a string, or
// Hercules' constant of its name), and where that argument is written.
const TItemRecord* TFeatures::ItemAt(const std::string& path, std::size_t offset, script::TSourceRange& range)
{
    const script::TTarget target = Workspace_.Target();
    const script::TExpr* argument = nullptr;
    const auto see = [&](std::string_view command, const std::vector<std::unique_ptr<script::TExpr>>& args) {
        if (!args.empty() && args[0]->Range.Begin.Offset <= offset && offset <= args[0]->Range.End.Offset && TakesItem(command, target))
            argument = args[0].get();
    };
    const auto syntax = Workspace_.Syntax(path);
    for (const script::TTopLevel& entry : syntax->Entries)
        if (entry.Body && entry.Range.Begin.Offset <= offset && offset < entry.Range.End.Offset)
            script::Walk(entry.Body.get(), [&](const script::TStmt& s) {
                if (s.Kind == script::TStmtKind::Command)
                    see(s.Name, s.Args);
            }, [&](const script::TExpr& e) {
                if (e.Kind == script::TExprKind::Call)
                    see(e.Text, e.Args);
            });
    if (!argument)
        return nullptr;
    range = argument->Range;
    if (argument->Kind == script::TExprKind::Number)
        return argument->Value == static_cast<std::int32_t>(argument->Value) ? Items().Find(static_cast<std::int32_t>(argument->Value)) : nullptr;
    if (argument->Kind == script::TExprKind::String || argument->Kind == script::TExprKind::Identifier)
        return Items().FindName(argument->Text);
    return nullptr;
}

// Where an item is expected: the tree's items whose name or ID starts with what is typed. A
// name goes in as the server reads it there: inside quotes, as Hercules' constant, else by ID.
std::optional<QJsonValue> TFeatures::ItemCompletion(const std::string& before, const std::string& prefix)
{
    bool quoted = false;
    const script::TTarget target = Workspace_.Target();
    if (!ItemArgumentNext(before, target, quoted))
        return std::nullopt;
    constexpr int MostItems = 200;
    QJsonArray offered;
    for (const TItemRecord& item : Items().Items()) {
        const std::string id = std::to_string(item.Id);
        if (offered.size() >= MostItems || !(StartsWithLetters(item.DbName, prefix) || id.starts_with(prefix)))
            continue;
        const bool byName = quoted || target == script::TTarget::Hercules;
        offered.append(QJsonObject{{"label", QString::fromStdString(item.DbName)},
                                   {"kind", 12},
                                   {"detail", QString::fromStdString(item.Name + " (" + id + ")")},
                                   {"filterText", QString::fromStdString(prefix.empty() || !std::isdigit(static_cast<unsigned char>(prefix[0])) ? item.DbName : id)},
                                   {"insertText", QString::fromStdString(byName ? item.DbName : id)}});
    }
    if (offered.isEmpty())
        return std::nullopt;
    return QJsonObject{{"isIncomplete", offered.size() >= MostItems}, {"items", offered}};
}

QJsonObject SemanticLegend()
{
    return {{"tokenTypes", QJsonArray{"comment", "string", "number", "keyword", "operator", "function", "variable", "label"}},
            {"tokenModifiers", QJsonArray{}}};
}

QJsonValue TFeatures::Hover(const std::string& path, const QJsonObject& params)
{
    const std::size_t offset = OffsetAt(path, params);
    const std::string& text = *Workspace_.Text(path);
    std::size_t begin = 0;
    const std::string word = WordAt(text, offset, &begin);
    if (word.empty())
        return QJsonValue();
    const TLineIndex lines(text);
    script::TSourceRange itemRange;
    if (const TItemRecord* item = ItemAt(path, offset, itemRange))
        return QJsonObject{{"contents", QJsonObject{{"kind", "markdown"}, {"value", QString::fromStdString(DescribeItem(*item))}}},
                           {"range", RangeToJson(lines.Range(itemRange))}};
    const script::TTarget target = Workspace_.Target();
    QString shown;
    const TSymbol symbol = SymbolAt(path, offset);
    if (symbol.Kind != TSymbol::None) {
        const char* kinds[] = {"", "label", "function", "NPC"};
        for (const TPlace& place : Places(symbol, false))
            if (place.Definition) {
                const int line = TLineIndex(*Workspace_.Text(place.Path)).Position(place.Begin).Line + 1;
                shown = QString("%1 **%2**, defined in %3 line %4")
                            .arg(kinds[symbol.Kind], QString::fromUtf8(symbol.Name),
                                 QString::fromStdString(Workspace_.Shown(place.Path)))
                            .arg(line);
                break;
            }
    }
    if (shown.isEmpty())
        if (const script::TCommandInfo* info = script::TServerRules::For(target).FindCommand(word))
            shown = QString("command **%1** (%2): %3")
                        .arg(QString::fromStdString(info->Name), QString::fromUtf8(script::TargetName(target)),
                             QString::fromStdString(script::DescribeArguments(*info)));
    if (shown.isEmpty())
        script::EachRow(script::Pick(target, script::tables::EAthenaConstants, script::tables::RAthenaConstants, script::tables::HerculesConstants),
             [&](std::string_view name, std::string_view rest) {
                 if (shown.isEmpty() && name == word) {
                     const std::string_view value = rest.substr(0, rest.find('\t'));
                     shown = QString("constant **%1** = %2")
                                 .arg(QString::fromUtf8(word), value.empty() ? QString("(set by the server)") : QString::fromUtf8(value));
                 }
             });
    if (shown.isEmpty() && script::BuiltInMaps(target).count(word))
        shown = QString("map **%1**, known to %2").arg(QString::fromUtf8(word), QString::fromUtf8(script::TargetName(target)));
    if (shown.isEmpty())
        return QJsonValue();
    return QJsonObject{{"contents", QJsonObject{{"kind", "markdown"}, {"value", shown}}},
                       {"range", RangeToJson({lines.Position(begin), lines.Position(begin + word.size())})}};
}

QJsonValue TFeatures::Completion(const std::string& path, const QJsonObject& params)
{
    const std::size_t offset = OffsetAt(path, params);
    const std::string& text = *Workspace_.Text(path);
    std::size_t begin = offset;
    while (begin > 0 && (std::isalnum(static_cast<unsigned char>(text[begin - 1])) || text[begin - 1] == '_'))
        --begin;
    const std::string prefix = text.substr(begin, offset - begin);
    const std::size_t lineStart = text.rfind('\n', begin == 0 ? 0 : begin - 1);
    const std::string before = text.substr(lineStart == std::string::npos ? 0 : lineStart + 1, begin - (lineStart == std::string::npos ? 0 : lineStart + 1));
    constexpr int MostItems = 200;
    QJsonArray items;
    const auto offer = [&](std::string_view name, int kind, const QString& detail) {
        if (items.size() < MostItems && StartsWithLetters(name, prefix))
            items.append(QJsonObject{{"label", QString::fromUtf8(name.data(), static_cast<int>(name.size()))},
                                     {"kind", kind},
                                     {"detail", detail}});
    };
    const script::TTarget target = Workspace_.Target();
    if (before.ends_with("duplicate(")) {
        for (const std::string& file : Workspace_.Files())
            for (const THeader& header : Workspace_.Headers(file))
                if (header.Kind == THeader::Npc)
                    offer(script::TLoadState::UniqueName(header.Name), 7, "NPC in " + QString::fromStdString(Workspace_.Shown(file)));
        return QJsonObject{{"isIncomplete", items.size() >= MostItems}, {"items", items}};
    }
    if (std::optional<QJsonValue> offered = ItemCompletion(before, prefix))
        return *offered;
    // The labels of the NPC the cursor is in, as the outline lists them.
    const int line = TLineIndex(text).Position(offset).Line;
    for (const QJsonValue& value : DocumentSymbols(path, {}).toArray()) {
        const QJsonObject symbol = value.toObject(), range = symbol["range"].toObject();
        if (range["start"].toObject()["line"].toInt() <= line && range["end"].toObject()["line"].toInt() >= line)
            for (const QJsonValue& label : symbol["children"].toArray())
                offer(label.toObject()["name"].toString().toStdString(), 20, "label of this NPC");
    }
    for (const std::string& file : Workspace_.Files())
        for (const THeader& header : Workspace_.Headers(file))
            if (header.Kind == THeader::Function)
                offer(header.Name, 3, "function in " + QString::fromStdString(Workspace_.Shown(file)));
    const script::TServerRules& rules = script::TServerRules::For(target);
    script::EachRow(script::Pick(target, script::tables::EAthenaCommands, script::tables::RAthenaCommands, script::tables::HerculesCommands),
         [&](std::string_view name, std::string_view) {
             if (const script::TCommandInfo* info = rules.FindCommand(name))
                 offer(name, 2, QString::fromStdString(script::DescribeArguments(*info)));
         });
    script::EachRow(script::Pick(target, script::tables::EAthenaConstants, script::tables::RAthenaConstants, script::tables::HerculesConstants),
         [&](std::string_view name, std::string_view rest) { offer(name, 21, QString::fromUtf8(rest.substr(0, rest.find('\t')))); });
    for (const std::string& map : script::BuiltInMaps(target))
        offer(map, 9, "map");
    return QJsonObject{{"isIncomplete", items.size() >= MostItems}, {"items", items}};
}

QJsonValue TFeatures::SemanticTokens(const std::string& path, const QJsonObject&)
{
    const std::string* text = &OpenText(path);
    static const TWordLookup words = TWordLookup::FromCatalogues();
    const TLineIndex lines(*text);
    QJsonArray data;
    TPosition previous;
    bool openComment = false;
    std::size_t lineStart = 0;
    for (int line = 0; line < lines.Lines(); ++line) {
        const std::size_t lineEnd = std::min(text->find('\n', lineStart), text->size());
        const std::string_view content = std::string_view(*text).substr(lineStart, lineEnd - lineStart);
        for (const TColourRange& range : ScanLine(content, words, openComment)) {
            const std::optional<int> type = TokenType(range, content);
            if (!type)
                continue;
            const TPosition start = lines.Position(lineStart + range.Start);
            const TPosition end = lines.Position(lineStart + range.Start + range.Length);
            data.append(start.Line - previous.Line);
            data.append(start.Line == previous.Line ? start.Character - previous.Character : start.Character);
            data.append(end.Character - start.Character);
            data.append(*type);
            data.append(0);
            previous = start;
        }
        lineStart = lineEnd + 1;
    }
    return QJsonObject{{"data", data}};
}

QJsonValue TFeatures::CodeLenses(const std::string& path, const QJsonObject&)
{
    const std::string* text = &OpenText(path);
    const TLineIndex lines(*text);
    QJsonArray lenses;
    for (const script::TTopLevel& entry : Workspace_.Syntax(path)->Entries) {
        if (entry.Kind != script::TTopKind::Script || !entry.Body)
            continue;
        const QString name = QString::fromUtf8(entry.Name);
        lenses.append(QJsonObject{{"range", RangeToJson(lines.Range(entry.Fields[2].Range))},
                                  {"command", QJsonObject{{"title", "Play " + name},
                                                          {"command", PlayCommand},
                                                          {"arguments", QJsonArray{UriOf_(path), name}}}}});
    }
    return lenses;
}

QJsonValue TFeatures::Execute(const QJsonObject& params)
{
    if (params["command"].toString() != PlayCommand)
        throw ERequestError(codes::InvalidParams, "no command " + params["command"].toString().toStdString());
    const QJsonArray args = params["arguments"].toArray();
    if (args.size() < 2 || !args[0].isString() || !args[1].isString())
        throw ERequestError(codes::InvalidParams, "npc.play takes the file's URI and the NPC's name");
    const QUrl url(args[0].toString());
    const std::string path = std::filesystem::path(url.toLocalFile().toStdString()).lexically_normal().string();
    const std::string* text = &OpenText(path, args[0].toString().toStdString());
    const QJsonObject given = args.size() > 2 ? args[2].toObject() : QJsonObject();
    TPlayRequest request;
    request.DataDir = DataDir_;
    request.Path = Workspace_.Shown(path);
    request.Npc = args[1].toString().toStdString();
    request.Target = Workspace_.Target();
    request.Player = given["player"].toString().toStdString();
    request.Seed = static_cast<std::uint32_t>(given["seed"].toInt());
    for (const QJsonValue& choice : given["choose"].toArray())
        request.Choices.push_back(choice.toInt());
    for (const QJsonValue& input : given["input"].toArray())
        request.Inputs.push_back(input.toString().toStdString());
    std::ostringstream out, err;
    const int status = RunPlayText(request, *text, out, err);
    return QJsonObject{{"transcript", QString::fromStdString(out.str())},
                       {"messages", QString::fromStdString(err.str())},
                       {"faulted", status != 0}};
}

} // namespace lsp
