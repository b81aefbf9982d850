#pragma once
// The import window: the NPCs of a script file, each with its lines and whether it can become a
// project, and the text of the one selected. OK takes the selected NPC.

#include "tasks/DImport.h"

#include <QDialog>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

class QDialogButtonBox;
class QListWidget;
class QPlainTextEdit;

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

// Imports the entry, proves it and makes it the current project, new and unsaved. When the import
// or its proof fails, the project in memory is put back as it was and the reason is raised.
// Returns what the user should know about the result.
QStringList ImportChosenNpc(const TImportSource& source, std::size_t entry);
