#include "DocumentSupport.h"

#include <memory>

namespace {

TProjectDocument* (*Finder)() = nullptr;

std::unique_ptr<TProjectDocument>& Owned()
{
    static std::unique_ptr<TProjectDocument> document;
    return document;
}

} // namespace

TProjectDocument& Document()
{
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

void ResetTestDocument()
{
    Owned() = std::make_unique<TProjectDocument>();
}
