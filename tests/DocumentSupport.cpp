#include "DocumentSupport.h"

#include <memory>

namespace {

TProjectDocument* (*Finder)() = nullptr;

std::shared_ptr<TCatalogues>& OwnedCatalogues()
{
    static auto catalogues = std::make_shared<TCatalogues>();
    return catalogues;
}

std::unique_ptr<TProjectDocument>& Owned()
{
    static std::unique_ptr<TProjectDocument> document;
    return document;
}

} // namespace

TCatalogues& TestCatalogues()
{
    return *OwnedCatalogues();
}

std::shared_ptr<const TCatalogues> SharedTestCatalogues()
{
    return OwnedCatalogues();
}

std::shared_ptr<const TServers> TestServers()
{
    static const auto servers = std::make_shared<const TServers>(SharedTestCatalogues());
    return servers;
}

TProjectDocument& Document()
{
    if (TProjectDocument* found = Finder ? Finder() : nullptr)
        return *found;
    if (!Owned())
        Owned() = std::make_unique<TProjectDocument>(TestServers());
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
    Owned() = std::make_unique<TProjectDocument>(TestServers());
}
