#include "output/HtmlExport.h"

#include "output/Highlight.h"
#include "model/Project.h"

#include "model/Records.h"

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string_view>
#include <vector>

namespace {

void AppendEscaped(std::string& html, std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': html += "&amp;"; break;
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '"': html += "&quot;"; break;
        default:
            // Control characters other than the tab have no place in a page.
            if ((byte < 0x20 && c != '\t') || byte == 0x7F)
                html += "&#xFFFD;";
            else
                html += c;
        }
    }
}

std::string CssColour(TRgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.R, colour.G, colour.B);
    return text;
}

// The lines as shown: a line ends at CR LF, at a lone LF or at a lone CR; the break after the
// last line opens no further line.
std::vector<std::string_view> DisplayLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
    return lines;
}

// One line with a span for every token that is not drawn in the page's own text colour.
void AppendLine(std::string& html, std::string_view line, const TWordLookup& words, bool& openComment)
{
    std::size_t written = 0;
    for (const TColourRange& range : ScanLine(line, words, openComment)) {
        if (!range.Colour || *range.Colour == ScriptTextColour)
            continue;
        const auto start = static_cast<std::size_t>(range.Start);
        const auto length = static_cast<std::size_t>(range.Length);
        AppendEscaped(html, line.substr(written, start - written));
        html += "<span style=\"color:" + CssColour(*range.Colour) + "\">";
        AppendEscaped(html, line.substr(start, length));
        html += "</span>";
        written = start + length;
    }
    AppendEscaped(html, line.substr(written));
}

} // namespace

std::string ScriptHtml(const std::string& scriptText, const std::string& title, const TWordLookup& words)
{
    std::string html =
        "<!DOCTYPE html>\r\n"
        "<html>\r\n"
        "<head>\r\n"
        "<meta charset=\"ISO-8859-1\">\r\n"
        "<title>";
    AppendEscaped(html, title);
    html += "</title>\r\n"
            "<style>\r\n"
            "body { background: " + CssColour(ScriptBackground) + "; color: " + CssColour(ScriptTextColour) +
            "; }\r\n"
            "pre { font-family: \"Courier New\", Courier, monospace; font-size: 12px; tab-size: 4; }\r\n"
            "</style>\r\n"
            "</head>\r\n"
            "<body>\r\n"
            "<pre>";
    bool openComment = false;
    for (const std::string_view line : DisplayLines(scriptText)) {
        AppendLine(html, line, words, openComment);
        html += "\r\n";
    }
    html += "</pre>\r\n"
            "</body>\r\n"
            "</html>\r\n";
    return html;
}

int RunHtmlExport(const TExportRequest& request, std::ostream& out, std::ostream& err)
{
    return RunExport(request, out, err, [](const TProject& project, const std::string& script) {
        return ScriptHtml(script, project.HeaderInfo.ScriptName, TWordLookup::FromModel(project.TaskList));
    });
}
