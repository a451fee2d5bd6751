// The one event sink of every hosted control: a message per event, posted
// from whichever thread raised it, and nothing once unadvised.

#include "framework/TwPostingEventSink.h"
#include "platform/VkVariant.h"
#include "platform/tests/ComTestSupport.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEvent>

#include <thread>

namespace {

constexpr UINT kPing = 1990;

class Receiver : public QObject {
public:
    int pings = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == static_cast<QEvent::Type>(kPing)) {
            ++pings;
            return true;
        }
        return QObject::event(e);
    }
};

class PostingEventSink : public comtest::ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        ASSERT_EQ(VkCreateInstance("VkTest.Widget", IID_IDispatch, reinterpret_cast<void**>(m_widget.GetAddressOf())),
                  S_OK);
    }
    void TearDown() override
    {
        m_widget.Reset();
        EXPECT_EQ(ModuleLocks(), 0) << "the sink left the widget alive";
        ModuleTest::TearDown();
    }
    void Fire(LONG n) { ASSERT_EQ(VkInvoke(m_widget.Get(), DISPID_TestFire, DISPATCH_METHOD, {VkVariant(n)}), S_OK); }

    ComPtr<IDispatch> m_widget;
    Receiver m_receiver;
};

TEST_F(PostingEventSink, PostsAMessagePerEventFromAnyThreadUntilUnadvised)
{
    ComPtr<TwPostingEventSink> sink = TwPostingEventSink::Advise(m_widget.Get(), DIID_ITestWidgetEvents, &m_receiver,
                                                                 {{DISPID_TestOnPing, "OnPing", kPing}});
    ASSERT_TRUE(sink);
    EXPECT_NE(sink->Cookie(), TwPostingEventSink::kNoCookie);
    Fire(1);
    std::thread other([this] { Fire(2); });
    other.join();
    EXPECT_EQ(m_receiver.pings, 0); // posted, not sent
    QCoreApplication::processEvents();
    EXPECT_EQ(m_receiver.pings, 2);

    // It answers as the event interface, by name and by id.
    ComPtr<IUnknown> events;
    EXPECT_EQ(sink->QueryInterface(DIID_ITestWidgetEvents, reinterpret_cast<void**>(events.GetAddressOf())), S_OK);
    std::u16string name = u"onping";
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(sink->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, DISPID_TestOnPing);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(sink->Invoke(77, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

    sink->Unadvise(m_widget.Get());
    EXPECT_EQ(sink->Cookie(), TwPostingEventSink::kNoCookie);
    Fire(3);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_receiver.pings, 2);
    // Unadvising twice, or from a source that is gone, is harmless.
    sink->Unadvise(nullptr);
}

TEST_F(PostingEventSink, NoSourceOrNoSuchEventsGiveNoSink)
{
    EXPECT_FALSE(TwPostingEventSink::Advise(nullptr, DIID_ITestWidgetEvents, &m_receiver, {}));
    EXPECT_FALSE(TwPostingEventSink::Advise(m_widget.Get(), IID_ITestWidget, &m_receiver, {}));
}

// A sink whose receiver went stops posting even while still advised.
TEST_F(PostingEventSink, ASinkUnadvisedFromAGoneSourceStopsPosting)
{
    ComPtr<TwPostingEventSink> sink = TwPostingEventSink::Advise(m_widget.Get(), DIID_ITestWidgetEvents, &m_receiver,
                                                                 {{DISPID_TestOnPing, "OnPing", kPing}});
    ASSERT_TRUE(sink);
    sink->Unadvise(nullptr); // the control is gone; its point still holds the sink
    Fire(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_receiver.pings, 0);
}

} // namespace
