#include "Dialogs.h"

#include "ChildWindows.h"

#include <QCoreApplication>

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

class TQtDialogs final : public TDialogs {
public:
    TAnswer Question(QWidget* owner, const QString& text, const QString& caption) override
    {
        const auto answer = QMessageBox::question(
            owner, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            return TAnswer::Yes;
        if (answer == QMessageBox::No)
            return TAnswer::No;
        return TAnswer::Cancel;
    }

    bool Confirm(QWidget* owner, const QString& text, const QString& caption) override
    {
        return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
               QMessageBox::Yes;
    }

    void Message(QWidget* owner, const QString& text, const QString& caption) override
    {
        QMessageBox::information(owner, caption, text, QMessageBox::Ok);
    }

    void Error(QWidget* owner, const QString& text) override
    {
        QMessageBox::critical(owner, QStringLiteral("Error"), text, QMessageBox::Ok);
    }

    QString OpenProjectFileName(QWidget* owner, const QString& folder) override
    {
        QFileDialog dialog(owner, QString(), folder);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters({QStringLiteral("NPC Files (*.NPC)"), QStringLiteral("All Files (*)")});
        dialog.setDefaultSuffix(QStringLiteral("NPC"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

    QString SaveProjectFileName(QWidget* owner, const QString& suggested) override
    {
        QFileDialog dialog(owner, QString(), suggested);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(QStringLiteral("NPC Files (*.NPC)"));
        dialog.setDefaultSuffix(QStringLiteral("NPC"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial) override
    {
        const QColor colour = QColorDialog::getColor(initial, owner);
        if (!colour.isValid())
            return std::nullopt;
        return colour;
    }
};

constexpr const char* HolderName = "npcDialogs";

// The dialogs a window holds for itself and the windows opened from it, as its child.
class TDialogsHolder final : public QObject {
public:
    TDialogsHolder(QObject* window, std::unique_ptr<TDialogs> dialogs) : QObject(window), Dialogs(std::move(dialogs))
    {
        setObjectName(QLatin1String(HolderName));
    }

    std::unique_ptr<TDialogs> Dialogs;
};

TDialogsHolder* HolderOf(const QObject* object)
{
    return object ? object->findChild<TDialogsHolder*>(QLatin1String(HolderName), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

} // namespace

QString TDialogs::OpenScriptFileName(QWidget* owner, const QString& folder)
{
    QFileDialog dialog(owner, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Script Files (*.txt)"), QStringLiteral("All Files (*)")});
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

std::optional<TServerTarget> TDialogs::ScriptFileServer(QWidget* owner, const QString& file, TServerTarget suggested)
{
    QStringList names;
    int current = 0;
    for (const TTargetRules& rules : ServerTargets()) {
        if (rules.Target == suggested)
            current = static_cast<int>(names.size());
        names << QString::fromLatin1(rules.Name);
    }
    bool chosen = false;
    const QString name = QInputDialog::getItem(owner, QStringLiteral("Open Script"),
                                               QStringLiteral("The server that loads %1:").arg(file), names, current,
                                               false, &chosen);
    if (!chosen)
        return std::nullopt;
    return ServerTargets()[static_cast<std::size_t>(names.indexOf(name))].Target;
}

TRecoveryAnswer TDialogs::RecoveryChoice(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Recover Unsaved Work"), text, QMessageBox::NoButton, owner);
    // No escape button: the box cannot be closed without an answer, and only Discard deletes.
    QPushButton* restore = box.addButton(QStringLiteral("&Restore"), QMessageBox::AcceptRole);
    QPushButton* openAsNew = box.addButton(QStringLiteral("&Open as New Project"), QMessageBox::ActionRole);
    QPushButton* discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == discard)
        return TRecoveryAnswer::Discard;
    if (box.clickedButton() == openAsNew)
        return TRecoveryAnswer::OpenAsNew;
    return TRecoveryAnswer::Restore;
}

std::unique_ptr<TDialogs> QtDialogs()
{
    return std::make_unique<TQtDialogs>();
}

TDialogs& Dialogs(const QWidget* owner)
{
    for (const QWidget* window = owner ? owner->window() : nullptr; window; window = OpenerWindow(window))
        if (TDialogsHolder* holder = HolderOf(window))
            return *holder->Dialogs;
    // A window outside any that holds dialogs: the real ones, which keep no state, held by the
    // application once asked for.
    QObject* application = QCoreApplication::instance();
    TDialogsHolder* holder = HolderOf(application);
    if (!holder)
        holder = new TDialogsHolder(application, QtDialogs());
    return *holder->Dialogs;
}

std::unique_ptr<TDialogs> SetDialogs(QWidget& window, std::unique_ptr<TDialogs> dialogs)
{
    TDialogsHolder* holder = HolderOf(&window);
    std::unique_ptr<TDialogs> previous = holder ? std::move(holder->Dialogs) : nullptr;
    if (holder && !dialogs)
        delete holder;
    else if (holder)
        holder->Dialogs = std::move(dialogs);
    else if (dialogs)
        new TDialogsHolder(&window, std::move(dialogs));
    return previous;
}
