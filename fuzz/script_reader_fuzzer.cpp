// Feeds arbitrary bytes to the script reader and the checker (ScriptReaderChecks.h): a crash, a
// sanitizer report or a broken source range is a finding.

#include "FuzzTargetSupport.h"
#include "ScriptReaderChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace parsercheck;
    AbortOnProblems(CheckScriptReader(AsText(data, size)));
    return 0;
}
