// Feeds arbitrary text to the item database reader: every line through ParseItemLine and
// ParseIntDef, and the whole text as item_db.txt through LoadItems. Each must agree with the plain
// reading of the rules (ItemDbOracle.h); a disagreement, a crash or a sanitizer report is a finding.

#include "FuzzTargetSupport.h"
#include "ItemDbOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace parsercheck;
    const std::string_view text = AsText(data, size);
    AbortOnProblems(CheckItemLines(text));
    const TScratchDir scratch;
    AbortOnProblems(CheckLoadItems(text, scratch.Path()));
    return 0;
}
