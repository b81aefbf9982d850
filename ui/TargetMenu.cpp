#include "TargetMenu.h"

#include "Dialogs.h"
#include "platform/TextEncoding.h"
#include "catalogue/Targets.h"
#include "document/Document.h"
#include "model/Records.h"

#include <QActionGroup>
#include <QMenu>

namespace {

void CheckProjectTarget(QMenu& menu, const TProjectDocument& document)
{
    const TServerTarget target = document.Project().HeaderInfo.Target;
    for (QAction* action : menu.actions())
        action->setChecked(action->data().toInt() == static_cast<int>(target));
}

} // namespace

QMenu* AddTargetMenu(QMenu* options, TProjectDocument& document, QWidget* owner)
{
    QMenu* menu = options->addMenu(QStringLiteral("&Target Server"));
    menu->setObjectName(QStringLiteral("TargetMenu"));
    auto* group = new QActionGroup(menu);
    for (const TTargetRules& rules : ServerTargets()) {
        QAction* action = menu->addAction(document.Encoding().ToQ(rules.Name));
        action->setObjectName(QStringLiteral("Target_") + QString::fromLatin1(rules.Key));
        action->setCheckable(true);
        action->setData(static_cast<int>(rules.Target));
        group->addAction(action);
        const TServerTarget target = rules.Target;
        QObject::connect(action, &QAction::triggered, owner, [&document, owner, menu, target] {
            Guarded(owner, [&document, target] {
                if (document.Project().HeaderInfo.Target == target)
                    return;
                TNPCHeader header = document.Project().HeaderInfo;
                ChangeServerTarget(header, target);
                document.SetHeader(header);
            });
            // A change refused leaves the project's server checked.
            CheckProjectTarget(*menu, document);
        });
    }
    CheckProjectTarget(*menu, document);
    // An undo, a header window's Apply, a load or an import may change the server as well.
    QObject::connect(&document, &TProjectDocument::Changed, menu, [menu, &document] { CheckProjectTarget(*menu, document); });
    return menu;
}
