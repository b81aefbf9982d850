// Plays arbitrary script text with the interpreter (PlayCheck.h): a crash, a hang, a sanitizer
// report or a failed check is a finding.

#include "FuzzTargetSupport.h"
#include "PlayCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace parsercheck;
    AbortOnProblems(CheckPlay(AsText(data, size)));
    return 0;
}
