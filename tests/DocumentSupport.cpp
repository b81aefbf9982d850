#include "DocumentSupport.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QPointer<TProjectDocument>& Shared()
{
    static QPointer<TProjectDocument> document;
    return document;
}

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

class TDocumentPerTest final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { Owned().reset(); }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        Shared() = nullptr;
        Owned().reset();
    }
};

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
    if (TProjectDocument* shared = Shared().data())
        return *shared;
    if (!Owned())
        Owned() = std::make_unique<TProjectDocument>(TestServers());
    return *Owned();
}

TProject& Project()
{
    return Document().Project();
}

void ShareDocument(TProjectDocument* document)
{
    Shared() = document;
}

void ResetTestDocument()
{
    Owned() = std::make_unique<TProjectDocument>(TestServers());
}

void RenewDocumentForEachTest()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new TDocumentPerTest);
}
