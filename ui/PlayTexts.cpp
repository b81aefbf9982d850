#include "PlayTexts.h"

#include "platform/TextEncoding.h"

#include "output/Highlight.h"
#include "script/Transcript.h"

#include <QColor>
#include <QStringList>

using script::TEvent;
using script::TEventKind;

namespace {

QString ColourName(const TRgb& colour)
{
    return QColor(colour.R, colour.G, colour.B).name();
}

QString MapName(const std::string& map, const TTextEncoding& encoding)
{
    QString name = encoding.ToQ(map);
    if (name.endsWith(QStringLiteral(".gat"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

} // namespace

QString MessageHtml(const std::string& line, const TTextEncoding& encoding)
{
    QString html;
    for (const TColouredText& run : SplitColourCodes(line)) {
        const QString text = encoding.ToQ(run.Text).toHtmlEscaped();
        html += run.Colour ? QStringLiteral("<span style=\"color:%1\">%2</span>").arg(ColourName(*run.Colour), text)
                           : text;
    }
    return html;
}

QString PlainOption(const std::string& option, const TTextEncoding& encoding)
{
    std::string plain;
    for (const TColouredText& run : SplitColourCodes(option))
        plain += run.Text;
    return encoding.ToQ(plain);
}

QString EffectText(const TEvent& e, const TTextEncoding& encoding)
{
    switch (e.Kind) {
    case TEventKind::Set: return QStringLiteral("%1 %2 \u2192 %3").arg(encoding.ToQ(e.Name)).arg(e.From).arg(e.To);
    case TEventKind::Item: {
        const QString item = e.Name.empty() ? QStringLiteral("item %1").arg(e.Id) : encoding.ToQ(e.Name);
        return QStringLiteral("%1 %2 \u00d7 %3")
            .arg(e.Amount < 0 ? QStringLiteral("lost") : QStringLiteral("got"))
            .arg(qAbs(static_cast<qint64>(e.Amount)))
            .arg(item);
    }
    case TEventKind::Warp:
        if (e.Name == "SavePoint" || e.Name == "Random")
            return QString::fromStdString(script::TranscriptLine(e));
        return QStringLiteral("warped to %1 %2,%3").arg(MapName(e.Name, encoding)).arg(e.X).arg(e.Y);
    case TEventKind::Command:
        if (!e.Simulated) {
            QStringList args;
            for (const std::string& value : e.Values)
                args << encoding.ToQ(value);
            return (encoding.ToQ(e.Name) + QLatin1Char(' ') + args.join(QStringLiteral(", "))).trimmed();
        }
        [[fallthrough]];
    case TEventKind::Fault: return QString::fromStdString(script::TranscriptLine(e));
    default: return {};
    }
}

QString ApproximateWhy(const TEvent& e)
{
    if (e.Kind == TEventKind::Command && !e.Simulated)
        return QStringLiteral("The play has no rule for this: the server does something here that the play does not show, "
                              "and its result counts as 0.");
    if (e.Kind == TEventKind::Warp && (e.Name == "SavePoint" || e.Name == "Random"))
        return QStringLiteral("The play does not know the player's save point or the map's cells.");
    return {};
}

QString AnswerText(const TEvent& e, const std::vector<std::string>& menu, const TTextEncoding& encoding)
{
    switch (e.Kind) {
    case TEventKind::Next: return QStringLiteral("Next");
    case TEventKind::Close: return e.Pause >= 0 ? QStringLiteral("Close (the script goes on)") : QString();
    case TEventKind::Input: return QStringLiteral("Typed \u201c%1\u201d").arg(encoding.ToQ(e.Text));
    case TEventKind::Choose:
        if (e.Amount == 0)
            return QStringLiteral("Cancelled the menu");
        if (e.Amount > 0 && static_cast<std::size_t>(e.Amount) <= menu.size())
            return QStringLiteral("Chose %1) %2").arg(e.Amount).arg(PlainOption(menu[static_cast<std::size_t>(e.Amount - 1)], encoding));
        return QStringLiteral("Chose %1").arg(e.Amount);
    default: return {};
    }
}
