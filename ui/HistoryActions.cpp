#include "HistoryActions.h"

#include "Dialogs.h"
#include "platform/TextEncoding.h"
#include "document/Document.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace {

struct THistoryDirection {
    QString Verb;
    QList<QKeySequence> Keys;
    bool (TProjectDocument::*Can)() const;
    std::string (TProjectDocument::*NameOf)() const;
    void (TProjectDocument::*Run)();
};

// The platform's keys first, then the ones people bring from other systems, each once.
QList<QKeySequence> KeysFor(QKeySequence::StandardKey standard, const QList<QKeySequence>& more)
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    for (const QKeySequence& key : more) {
        if (!keys.contains(key))
            keys << key;
    }
    return keys;
}

QAction* MakeHistoryAction(TProjectDocument& document, QWidget* owner, const THistoryDirection& direction,
                           THistoryKeys keys)
{
    auto* action = new QAction(owner);
    QString keyText;
    if (keys == THistoryKeys::Answer)
        action->setShortcuts(direction.Keys);
    else if (!direction.Keys.isEmpty())
        keyText = QLatin1Char('\t') + direction.Keys.first().toString(QKeySequence::NativeText);
    const auto follow = [&document, action, direction, keyText] {
        const std::string name = (document.*direction.NameOf)();
        QString text = QLatin1Char('&') + direction.Verb;
        if (!name.empty())
            text += QLatin1Char(' ') + document.Encoding().ToQ(name);
        action->setText(text + keyText);
        action->setEnabled((document.*direction.Can)());
    };
    follow();
    QObject::connect(&document.History(), &QUndoStack::indexChanged, action, follow);
    QObject::connect(action, &QAction::triggered, owner, [&document, owner, run = direction.Run] {
        Guarded(owner, [&document, run] { (document.*run)(); });
    });
    return action;
}

}  // namespace

QAction* MakeUndoAction(TProjectDocument& document, QWidget* owner, THistoryKeys keys)
{
    return MakeHistoryAction(document, owner, {QStringLiteral("Undo"), KeysFor(QKeySequence::Undo, {}),
                                     &TProjectDocument::CanUndo, &TProjectDocument::UndoName,
                                     &TProjectDocument::Undo},
                             keys);
}

QAction* MakeRedoAction(TProjectDocument& document, QWidget* owner, THistoryKeys keys)
{
    return MakeHistoryAction(document, owner, {QStringLiteral("Redo"),
                                     KeysFor(QKeySequence::Redo, {QKeySequence(Qt::CTRL | Qt::Key_Y),
                                                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}),
                                     &TProjectDocument::CanRedo, &TProjectDocument::RedoName,
                                     &TProjectDocument::Redo},
                             keys);
}
