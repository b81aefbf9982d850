#pragma once
// The import window: the server the file is written for, the NPCs of the file read by that
// server's rules, each with its lines and whether it can become a project, and the text of the one
// selected. OK takes the selected NPC.

#include "catalogue/Targets.h"
#include "import/Import.h"
#include "platform/TextEncoding.h"

#include <QDialog>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <string>
#include <optional>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QListWidget;
class QPlainTextEdit;

class TProjectDocument;

class TImportForm : public QDialog {
    Q_OBJECT
public:
    // The file's text, read first for target (the server the author works for now).
    // The file's text is shown in encoding.
    TImportForm(std::string fileName, std::string text, TServerTarget target, const TTextEncoding& encoding,
                QWidget* parent = nullptr);
    ~TImportForm() override;

    // The file as read for the server chosen.
    const TImportSource& Source() const { return *Source_; }
    TServerTarget ChosenTarget() const;
    // The entry (index into the file's entries) of the NPC selected, when it can be imported.
    std::optional<std::size_t> ChosenEntry() const;

private:
    // Reads the file again for the server chosen and lists its NPCs.
    void ReadForTarget();
    void NpcListChange();

    std::string FileName_;
    std::string Text_;
    TTextEncoding Encoding_;
    std::unique_ptr<TImportSource> Source_;
    std::vector<TImportCandidate> Candidates_;
    QComboBox* ServerCombo_;
    QListWidget* NpcList_;
    QPlainTextEdit* PreviewEdit_;
    QDialogButtonBox* Buttons_;
};

// Imports the entry for target, proves it and makes it document's project, new, unsaved and
// written for target. When the import or its proof fails, the open project is left as it was and
// the reason is raised. Returns what the user should know about the result.
QStringList ImportChosenNpc(TProjectDocument& document, const TImportSource& source, std::size_t entry,
                            TServerTarget target);
