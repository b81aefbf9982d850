#pragma once
// The script as a standalone HTML page, coloured as the output window colours it: yellow
// fixed-pitch text on navy, each token in its colour. The page holds the script's own bytes
// (declared ISO-8859-1), tabs included.

#include "output/Export.h"
#include "output/Highlight.h"

#include <iosfwd>
#include <string>

// A page showing scriptText (lines ending in CR LF, as the writer joins them) under title, its
// words coloured as words says.
std::string ScriptHtml(const std::string& scriptText, const std::string& title,
                       const TWordLookup& words = TWordLookup::FromCatalogues());

// The exporter writing the page instead of the plain script; otherwise as RunExport, whose
// statuses and messages it keeps.
int RunHtmlExport(const TExportRequest& request, std::ostream& out, std::ostream& err);
