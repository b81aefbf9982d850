#pragma once
// The project document a test works on. A model test gets a fresh one for each test; a window
// test uses the main window's while one is up.

#include "document/Document.h"
#include "model/Project.h"

// The document of the running test: the one the finder gives (a window test's main window's, while
// there is one), else the tests' own.
TProjectDocument& Document();
void SetDocumentFinder(TProjectDocument* (*finder)());
// Its project.
TProject& Project();
// The tests' own document starts afresh (a new, empty project made from the catalogues as they
// are now).
void ResetTestDocument();
