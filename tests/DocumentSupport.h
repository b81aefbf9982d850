#pragma once
// The project document a test works on: a fresh one for each test; a window test uses its main
// window's while one is up.

#include "document/Document.h"
#include "model/Project.h"

// The catalogues the tests' documents and windows read: one object of the tests' own, which a
// fixture fills in place before it makes a document or a window (the program reads its
// catalogues once and shares them read-only; the tests only change theirs between documents).
TCatalogues& TestCatalogues();
std::shared_ptr<const TCatalogues> SharedTestCatalogues();
// Servers over the tests' catalogues, as a document or the main window is given them.
std::shared_ptr<const TServers> TestServers();

// The document of the running test: the one shared with ShareDocument (a window test's main
// window's) while it lives, else the test's own, made at its first use in the test.
TProjectDocument& Document();
// Makes document the one Document() gives until it is destroyed or another is shared; nullptr
// goes back to the test's own.
void ShareDocument(TProjectDocument* document);
// Its project.
TProject& Project();
// The test's own document starts afresh (a new, empty project made from the tests' catalogues as
// they are now).
void ResetTestDocument();
// Ends the test's own document as each test ends, so that nothing one test left in it reaches the
// next: a test's document lives exactly as long as its test. Call once, before the tests run.
void RenewDocumentForEachTest();
