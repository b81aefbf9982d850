#include "Form_NPC.h"
#include "ui_Form_NPC.h"

#include "ChildWindows.h"
#include "ControlStrings.h"
#include "WindowPlaces.h"
#include "Form_Tasks.h"
#include "Dialogs.h"
#include "Form_NPCBrowser.h"
#include "platform/TextEncoding.h"
#include "Startup.h"
#include "model/Records.h"
#include "document/Document.h"

#include <QCloseEvent>
#include <QScopedValueRollback>

#include <algorithm>


namespace {

constexpr int BrowserClientWidth = 600;
// The servers keep the touch area's cells in a short; -1 shows "no touch area".
constexpr int MaxTouchCells = 32767;
constexpr int NoTouchArea = -1;
constexpr int BrowserClientHeight = 400;

} // namespace

TNPCForm::TNPCForm(TProjectDocument& document, QWidget* parent)
    : QWidget(parent), Document_(document), Ui_(std::make_unique<Ui::TNPCForm>())
{
    Ui_->setupUi(this);
    setFixedSize(size());
    FormCreate();

    connect(Ui_->NameEdit, &QLineEdit::textChanged, this, [this] { NPCChange(TNPCField::Name); });
    const std::pair<TSpinField*, TNPCField> spins[] = {
        {Ui_->XEdit, TNPCField::X}, {Ui_->YEdit, TNPCField::Y}, {Ui_->IDEdit, TNPCField::Sprite}};
    for (const auto& [spin, field] : spins)
        connect(spin, &TSpinField::Changed, this, [this, field = field] { NPCChange(field); });
    // activated, not currentIndexChanged: only the user's choices are changes.
    connect(Ui_->DirCombo, &QComboBox::activated, this, [this] { NPCChange(TNPCField::Direction); });
    connect(Ui_->MapCombo, &QComboBox::activated, this, [this] { NPCChange(TNPCField::Map); });
    connect(Ui_->TouchXEdit, &QSpinBox::valueChanged, this, [this] { NPCChange(TNPCField::TouchX); });
    connect(Ui_->TouchYEdit, &QSpinBox::valueChanged, this, [this] { NPCChange(TNPCField::TouchY); });
    connect(Ui_->IDEdit, &TSpinField::Exiting, this, &TNPCForm::IDEditExit);
    connect(Ui_->BrowseButton, &QPushButton::clicked, this, &TNPCForm::BrowseButtonClick);

    connect(&Document_, &TProjectDocument::Changed, this,
            [this](const TProjectChange& change) { Guarded(this, [&] { ProjectChanged(change); }); });
}

TNPCForm::~TNPCForm()
{
    // The controls go after this object; the focus leaving one of them on the way must not reach
    // the handlers of a window that is half gone.
    for (QWidget* control : findChildren<QWidget*>())
        control->disconnect(this);
}

const TCatalogues& TNPCForm::Catalogues() const
{
    return Document_.ServerData()->Catalogues();
}

TNPCBrowserForm* TNPCForm::Browser() const
{
    return Browser_.data();
}

void TNPCForm::FormCreate()
{
    for (QSpinBox* spin : {Ui_->TouchXEdit, Ui_->TouchYEdit}) {
        spin->setRange(NoTouchArea, MaxTouchCells);
        spin->setSpecialValueText(QStringLiteral("no touch area"));
    }
    ShowNPC();
}

void TNPCForm::Place(QObject* owner)
{
    ShowFixedChildWindow(this, owner);
    ChildFrame(this)->move(0, 0);
    RememberPlace(this);
}

void TNPCForm::ShowNPC()
{
    const TNPC& NPCInfo = Document_.Project().NPCInfo;
    const QScopedValueRollback updating(Updating_, true);
    Ui_->IDEdit->SetValue(NPCInfo.SpriteID);
    Ui_->XEdit->SetValue(NPCInfo.X);
    Ui_->YEdit->SetValue(NPCInfo.Y);
    ShowDirection(NPCInfo.Direction);
    FillMaps();
    ShowMap(NPCInfo);
    ShowTouch(NPCInfo);
    Ui_->NameEdit->setText(Document_.Encoding().ToQ(NPCInfo.Name));
    ShowSpriteName(NPCInfo.SpriteID);
}

// The field keeps any view the server takes (FAKE_NPC's -1, a newer client's sprite): the catalogue
// only lends its pictures and names, so a sprite it lacks is named as such, never corrected.
void TNPCForm::ShowSpriteName(std::int32_t id)
{
    const TNPCImg* sprite = Catalogues().FindNPCImg(id);
    Ui_->IDLabel->setText(sprite ? QStringLiteral("Sprite ID (") + Document_.Encoding().ToQ(sprite->Name) + QStringLiteral(")")
                                 : QStringLiteral("Sprite ID (no picture)"));
    Ui_->IDLabel->setToolTip(sprite ? QString()
                                    : QStringLiteral("The sprite catalogue has no picture for sprite %1; it is "
                                                     "written as it is.")
                                          .arg(id));
}

// Filled again when the server changes.
void TNPCForm::FillMaps()
{
    const TServerData* server = Document_.ServerData().get();
    if (MapsServer_ == server)
        return;
    FillServerMapCombo(Ui_->MapCombo, *server, Document_.Encoding());
    MapsServer_ = server;
}

// The entry of the map the script is written with; a map neither list has shows no entry and is
// kept as written until the user picks one.
void TNPCForm::ShowMap(const TNPC& npc)
{
    QComboBox* combo = Ui_->MapCombo;
    const std::string map = NpcMapFile(npc, Catalogues());
    const int row = npc.MapName.empty() && Catalogues().IsMapIndex(npc.MapIndex) ? npc.MapIndex : IndexOfComboMap(combo, map);
    combo->setCurrentIndex(row);
    ShowKeptMap(combo, row < 0 ? map : std::string(), Document_.Encoding());
}

void TNPCForm::ShowTouch(const TNPC& npc)
{
    // A negative cell count (an imported script's) gives no cells on the servers: shown as none.
    Ui_->TouchXEdit->setValue(npc.Touch ? std::max(npc.Touch->X, NoTouchArea) : NoTouchArea);
    Ui_->TouchYEdit->setValue(npc.Touch ? std::max(npc.Touch->Y, NoTouchArea) : NoTouchArea);
}

// The list's positions are the server's facing numbers (0 North ... 7 North East). A stored
// number outside them (an imported script's, an older project's) is kept and written as it is:
// the list then shows no entry and says why, until the user picks a facing.
void TNPCForm::ShowDirection(int direction)
{
    QComboBox* combo = Ui_->DirCombo;
    const bool known = direction >= 0 && direction < combo->count();
    combo->setCurrentIndex(known ? direction : -1);
    combo->setPlaceholderText(known ? QString() : QStringLiteral("%1 (no facing)").arg(direction));
    combo->setToolTip(known ? QString()
                            : QStringLiteral("The stored facing %1 is not one of the server's facings "
                                             "(0 to 7); it is written unchanged until you pick one.")
                                  .arg(direction));
}

// Only the field the user changed is taken from the controls: the others keep what the record
// holds, even where a control cannot show it (a sprite outside the catalogue's range, a map the
// catalogue lacks).
void TNPCForm::NPCChange(TNPCField field)
{
    if (Updating_)
        return;
    TNPC npc = Document_.Project().NPCInfo;
    switch (field) {
    case TNPCField::Name: {
        const QString name = Ui_->NameEdit->text();
        if (const QString refused = Document_.Encoding().FirstUnencodable(name); !refused.isEmpty()) {
            // The field refuses the character: it shows the stored name again, and says why in the
            // error box every other field's refusal uses.
            Dialogs(this).Error(this, Document_.Encoding().UnencodableMessage(refused));
            const QScopedValueRollback updating(Updating_, true);
            Ui_->NameEdit->setText(Document_.Encoding().ToQ(npc.Name));
            return;
        }
        npc.Name = Document_.Encoding().FromQ(name);
        break;
    }
    case TNPCField::Sprite:
        npc.SpriteID = Ui_->IDEdit->Value();
        ShowSpriteName(npc.SpriteID);
        break;
    case TNPCField::X: npc.X = Ui_->XEdit->Value(); break;
    case TNPCField::Y: npc.Y = Ui_->YEdit->Value(); break;
    case TNPCField::Direction:
        npc.Direction = Ui_->DirCombo->currentIndex();
        ShowDirection(npc.Direction);
        break;
    case TNPCField::Map: {
        // A catalogue entry is kept by its position (as version 258 keeps it); any other map of
        // the server by its name.
        const int row = Ui_->MapCombo->currentIndex();
        npc.MapIndex = Catalogues().IsMapIndex(row) ? row : -1;
        npc.MapName = Catalogues().IsMapIndex(row) ? std::string() : ComboMapFile(Ui_->MapCombo, row);
        ShowMap(npc);
        break;
    }
    case TNPCField::TouchX:
    case TNPCField::TouchY: {
        // Both cell counts or neither: setting one gives the other 0, clearing one clears both. The
        // other count is the record's, not the control's, which cannot show every stored count.
        const bool isX = field == TNPCField::TouchX;
        const int typed = (isX ? Ui_->TouchXEdit : Ui_->TouchYEdit)->value();
        const int other = npc.Touch ? (isX ? npc.Touch->Y : npc.Touch->X) : 0;
        if (typed == NoTouchArea)
            npc.Touch.reset();
        else
            npc.Touch = isX ? TTouchArea{typed, other} : TTouchArea{other, typed};
        const QScopedValueRollback updating(Updating_, true);
        ShowTouch(npc);
        break;
    }
    }
    // The document stores only what differs, so leaving a field unchanged is no change.
    Storing_ = true;
    Guarded(this, [this, &npc] { Document_.SetNPC(npc); });
    Storing_ = false;
}

void TNPCForm::ProjectChanged(const TProjectChange& change)
{
    // The window's own edits already show; anything else that touched the record is shown again.
    if (!Storing_ && change.Has(CP_NPC | CP_Replaced | CP_Header))
        ShowNPC();
}

// Leaving shows the number the text was read as (an empty field or a lone sign reads as 0, which
// the typing already stored); the value itself is not touched.
void TNPCForm::IDEditExit()
{
    const QScopedValueRollback updating(Updating_, true);
    Ui_->IDEdit->SetValue(Document_.Project().NPCInfo.SpriteID);
}

void TNPCForm::BrowseButtonClick()
{
    Ui_->BrowseButton->setEnabled(false);
    auto* browser = new TNPCBrowserForm(Document_.ServerData(), Document_.Encoding());
    QPointer<TNPCForm> self(this);
    browser->OnDone = [self](TNPCBrowserForm* done, bool cancelled) {
        if (self)
            self->BrowseDone(done, cancelled);
    };
    browser->SetSelectedImg(Catalogues().FindNPCImg(Ui_->IDEdit->Value()));
    Browser_ = browser;
    ShowChildWindow(browser, this);
    // The frame would otherwise open at the list's own size hint, a single sprite wide.
    SetClientSize(browser, BrowserClientWidth, BrowserClientHeight);
}

void TNPCForm::BrowseDone(TNPCBrowserForm* browser, bool cancelled)
{
    Ui_->BrowseButton->setEnabled(true);
    const TNPCImg* sprite = browser->SelectedImg();
    if (cancelled || !sprite)
        return;
    Ui_->IDEdit->SetValue(sprite->ID);
}

void TNPCForm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    MinimizeChild(this);
}
