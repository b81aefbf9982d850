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

TProjectDocument& Document()
{
    if (TProjectDocument* shared = Shared().data())
        return *shared;
    if (!Owned())
        Owned() = std::make_unique<TProjectDocument>();
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
    Owned() = std::make_unique<TProjectDocument>();
}

void RenewDocumentForEachTest()
{
    ::testing::UnitTest::GetInstance()->listeners().Append(new TDocumentPerTest);
}
