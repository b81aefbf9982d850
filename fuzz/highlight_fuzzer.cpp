// Feeds arbitrary lines to the script colouring scanner, with up to three groups of fuzzed numbers
// registered so that label lookups find something. Its tokens and colours must be those of the
// character-by-character reading of the colouring rules (HighlightOracle.h); a disagreement, a crash
// or a sanitizer report is a finding.

#include "FuzzTargetSupport.h"
#include "HighlightOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace parsercheck;
    AbortOnProblems(CheckScanLine(AsText(data, size)));
    return 0;
}
