// Feeds arbitrary bytes to the language server's message reader, in reads of several sizes, and
// each frame it gives to the server: LspReaderChecks.h says what must hold.

#include "FuzzTargetSupport.h"
#include "LspReaderChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace parsercheck;
    AbortOnProblems(CheckLspReader(AsText(data, size)));
    return 0;
}
