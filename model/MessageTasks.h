#pragma once
// Message tasks: dialogue lines, each written as one mes statement, the first message of each
// group preceded by the speaker line.

#include "model/Tasks.h"

#include <string>
#include <vector>

// Record shared by message and manual tasks: line count, then the lines as strings.
void SaveLines(TFileWriter& file, const std::vector<std::string>& lines);
// A count of 0 leaves lines untouched.
void LoadLines(TFileReader& file, std::vector<std::string>& lines);
// Every line followed by CR LF: the text of a message or manual caption.
std::string LinesText(const std::vector<std::string>& lines);

class TMessageTask : public TTask {
public:
    TMessageTask() = default;
    explicit TMessageTask(const std::vector<std::string>& lines) : Lines(lines) {}

    TTaskKind Kind() const override { return TTaskKind::Message; }
    void SaveToFile(TFileWriter& file) const override;
    void LoadFromFile(TFileReader& file) override;
    void WriteScript(TScriptWriter& writer) const override;

    std::vector<std::string> Lines;
};
