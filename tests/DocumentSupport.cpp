#include "DocumentSupport.h"

#include <memory>

namespace {

TProjectDocument* Borrowed = nullptr;
TProjectDocument* (*Finder)() = nullptr;

std::unique_ptr<TProjectDocument>& Owned()
{
    static std::unique_ptr<TProjectDocument> document;
    return document;
}

} // namespace

TProjectDocument& Document()
{
    if (Borrowed)
        return *Borrowed;
    if (TProjectDocument* found = Finder ? Finder() : nullptr)
        return *found;
    if (!Owned())
        Owned() = std::make_unique<TProjectDocument>();
    return *Owned();
}

TProject& Project()
{
    return Document().Project();
}

void SetDocumentFinder(TProjectDocument* (*finder)())
{
    Finder = finder;
}

void UseDocument(TProjectDocument* document)
{
    Borrowed = document;
}

void ResetTestDocument()
{
    Borrowed = nullptr;
    Owned() = std::make_unique<TProjectDocument>();
}
