#pragma once
// The project document a test works on. A model test gets a fresh one for each test; a window
// test uses the main window's while one is up.

#include "document/Document.h"
#include "model/Project.h"

// The catalogues the tests' documents and windows read: one object of the tests' own, which a
// fixture fills in place before it makes a document or a window (the program reads its
// catalogues once and shares them read-only; the tests only change theirs between documents).
TCatalogues& TestCatalogues();
std::shared_ptr<const TCatalogues> SharedTestCatalogues();
// Servers over the tests' catalogues, as a document or the main window is given them.
std::shared_ptr<const TServers> TestServers();

// The document of the running test: the one the finder gives (a window test's main window's, while
// there is one), else the tests' own.
TProjectDocument& Document();
void SetDocumentFinder(TProjectDocument* (*finder)());
// Its project.
TProject& Project();
// The tests' own document starts afresh (a new, empty project made from the tests' catalogues as
// they are now).
void ResetTestDocument();
