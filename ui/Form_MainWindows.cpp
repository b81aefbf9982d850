// The windows the frame owns, each bound to its document: made, reached and taken away here.
#include "Form_Main.h"

#include "Form_About.h"
#include "Form_Editor.h"
#include "Form_Header.h"
#include "Form_NPC.h"
#include "Form_PlayTest.h"
#include "Form_Problems.h"
#include "Form_Splash.h"
#include "Form_Tasks.h"
#include "HelpViewer.h"
#include "WindowPlaces.h"

void TMainForm::OpenProjectWindows()
{
    // It frames and places itself.
    Tasks_ = new TTaskForm(*Document_, nullptr, this);
    NPC_ = new TNPCForm(*Document_);
    NPC_->Place(this);
    // The task window's first place is below the NPC window, whose last row it would cover.
    PlaceBelow(Tasks_, NPC_);
}

TTaskForm* TMainForm::TaskWindow() const
{
    return Tasks_.data();
}

TNPCForm* TMainForm::NPCWindow() const
{
    return NPC_.data();
}

TEditorForm* TMainForm::OutputWindow() const
{
    return Tasks_ ? Tasks_->Output() : nullptr;
}

TSplashForm* TMainForm::ShowSplash(const std::filesystem::path& dataDir, std::shared_ptr<TCatalogues> catalogues)
{
    Splash_ = new TSplashForm(dataDir, std::move(catalogues), this);
    Splash_->show();
    return Splash_;
}

TSplashForm* TMainForm::SplashWindow() const
{
    return Splash_.data();
}

void TMainForm::CloseSplash()
{
    if (Splash_)
        Splash_->close();
}

THeaderForm* TMainForm::HeaderWindow() const
{
    return Header_.data();
}

TAboutForm* TMainForm::AboutWindow() const
{
    return About_.data();
}

THelpViewer* TMainForm::HelpViewer() const
{
    return HelpViewer_.data();
}

TPlayTestForm* TMainForm::PlayTest() const
{
    return PlayTest_.data();
}

TProblemsForm* TMainForm::ProblemsWindow() const
{
    return Problems_.data();
}
