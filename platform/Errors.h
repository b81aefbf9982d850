#pragma once
// Errors of the model. Every failure is an exception whose message names the file (or list) and
// what was wrong; the user interface catches them at its command boundary and shows them.

#include <stdexcept>
#include <string>

// The system's message for an errno value. In English whatever the user's locale, as every other
// message of the editor is: the platform's own translation would mix languages in one sentence.
std::string SystemMessage(int error);

// A file could not be read or written, or its contents are not what the reader expects.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // "<file>: <what>", the form every file error takes.
    EInOutError(const std::string& fileName, const std::string& what)
        : std::runtime_error(fileName + ": " + what) {}
};

// An index outside a catalogue or list.
class EListError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};
