#include "generic/VkDocTemplate.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

struct Log {
    int created = 0;
    int closed = 0;
    bool acceptNew = true;
    bool allowClose = true;
};

class TestDoc : public VkDocument {
public:
    explicit TestDoc(Log& log) : m_log(log) { ++m_log.created; }
    bool OnNewDocument() override
    {
        SetTitle(QStringLiteral("Doc%1").arg(m_log.created));
        return m_log.acceptNew;
    }
    bool CanCloseFrame(QMdiSubWindow*) override { return m_log.allowClose; }
    void OnCloseDocument() override
    {
        ++m_log.closed;
        VkDocument::OnCloseDocument();
    }

private:
    Log& m_log;
};

class VkDocTemplateTest : public ::testing::Test {
protected:
    VkDocTemplateTest()
        : tpl(127, [this] { return new TestDoc(log); }, [](VkDocument*) { return new QMdiSubWindow; },
              [](VkDocument* d) { return new QLabel(d->GetTitle()); })
    {
        area.resize(600, 400);
        area.show();
        tpl.SetMdiArea(&area);
    }
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    Log log;
    QMdiArea area;
    VkMultiDocTemplate tpl;
};

TEST_F(VkDocTemplateTest, CreatesTriplesAndClosesThem)
{
    VkDocument* a = tpl.OpenDocumentFile();
    VkDocument* b = tpl.OpenDocumentFile();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(tpl.DocumentCount(), 2);
    EXPECT_EQ(area.subWindowList().size(), 2);
    QMdiSubWindow* frameA = a->Frames().front();
    EXPECT_EQ(tpl.DocumentOfFrame(frameA), a);
    EXPECT_EQ(frameA->windowTitle(), "Doc1");
    EXPECT_NE(VkMultiDocTemplate::ViewOfFrame(frameA), nullptr);
    EXPECT_TRUE(frameA->isVisible());

    // A second window numbers the frame captions.
    QMdiSubWindow* second = tpl.CreateNewFrame(a);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(frameA->windowTitle(), "Doc1:1");
    EXPECT_EQ(second->windowTitle(), "Doc1:2");

    // Closing one of two frames keeps the document.
    EXPECT_FALSE(second->close());
    EXPECT_EQ(log.closed, 0);
    EXPECT_EQ(a->Frames().size(), 1u);
    EXPECT_EQ(frameA->windowTitle(), "Doc1");

    // Closing its last frame closes it.
    QPointer<VkDocument> guardA(a);
    frameA->close();
    EXPECT_EQ(log.closed, 1);
    EXPECT_EQ(tpl.DocumentCount(), 1);
    Flush();
    EXPECT_TRUE(guardA.isNull());
    EXPECT_EQ(area.subWindowList().size(), 1);

    tpl.CloseAllDocuments();
    EXPECT_EQ(tpl.DocumentCount(), 0);
    EXPECT_EQ(log.closed, 2);
    Flush();
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(VkDocTemplateTest, RefusedDocumentsAndFramesThatMayNotClose)
{
    log.acceptNew = false;
    EXPECT_EQ(tpl.OpenDocumentFile(), nullptr);
    EXPECT_EQ(tpl.DocumentCount(), 0);
    EXPECT_EQ(log.closed, 1); // abandoned documents still pass through OnCloseDocument
    Flush();
    EXPECT_TRUE(area.subWindowList().isEmpty());

    log.acceptNew = true;
    VkDocument* doc = tpl.OpenDocumentFile();
    ASSERT_NE(doc, nullptr);
    log.allowClose = false;
    doc->Frames().front()->close();
    EXPECT_EQ(tpl.DocumentCount(), 1);
    EXPECT_TRUE(doc->Frames().front()->isVisible());
}

TEST(VkDocTemplate, WithoutAnAreaNothingIsCreated)
{
    Log log;
    VkMultiDocTemplate tpl(127, [&] { return new TestDoc(log); }, [](VkDocument*) { return new QMdiSubWindow; }, {});
    EXPECT_EQ(tpl.OpenDocumentFile(), nullptr);
    EXPECT_EQ(log.created, 0);
}

} // namespace
