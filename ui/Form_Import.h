#pragma once
// The import window: the NPCs of a script file, each with its lines and whether it can become a
// project, and the text of the one selected. OK takes the selected NPC.

#include "import/Import.h"

#include <QDialog>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

class QDialogButtonBox;
class QListWidget;
class QPlainTextEdit;

class TProjectDocument;

class TImportForm : public QDialog {
    Q_OBJECT
public:
    TImportForm(const TImportSource& source, QWidget* parent = nullptr);

    // The entry (index into the file's entries) of the NPC selected, when it can be imported.
    std::optional<std::size_t> ChosenEntry() const;

private:
    void NpcListChange();

    const TImportSource& Source_;
    std::vector<TImportCandidate> Candidates_;
    QListWidget* NpcList_;
    QPlainTextEdit* PreviewEdit_;
    QDialogButtonBox* Buttons_;
};

// Imports the entry for the server document's project is written for, proves it and makes it
// document's project, new and unsaved. When the import or its proof fails, the open project is
// left as it was and the reason is raised. Returns what the user should know about the result.
QStringList ImportChosenNpc(TProjectDocument& document, const TImportSource& source, std::size_t entry);
