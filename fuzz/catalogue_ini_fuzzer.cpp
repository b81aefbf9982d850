// Feeds arbitrary text to the INI reader of the catalogue files, in memory and from a file, and
// as jobs.ini and maps.ini to LoadJobs and LoadMaps. Every value must be the one the plain
// reading of the INI rules gives (IniOracle.h); a disagreement, a crash or a sanitizer report
// is a finding.

#include "FuzzTargetSupport.h"
#include "IniOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace parsercheck;
    const TScratchDir scratch;
    AbortOnProblems(CheckIniCatalogues(AsText(data, size), scratch.Path()));
    return 0;
}
