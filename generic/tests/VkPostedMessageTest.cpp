#include "generic/VkPostedMessage.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

#include <memory>

namespace {

struct Counted : VkMessageRecord {
    explicit Counted(int& deaths, int value) : m_deaths(deaths), value(value) {}
    ~Counted() override { ++m_deaths; }
    int& m_deaths;
    int value;
};
struct Other : VkMessageRecord {};

class Receiver : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != static_cast<QEvent::Type>(WM_USER + 1000))
            return QObject::event(e);
        auto* m = static_cast<VkMessageEvent*>(e);
        ++got;
        wParam = m->WParam();
        lParam = m->LParam();
        if (keep)
            record = m->TakeRecord<Counted>();
        return true;
    }
    int got = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool keep = true;
    std::unique_ptr<Counted> record;
};

TEST(VkPostedMessage, RecordsPassToTheReceiverOrDieWithTheEvent)
{
    int deaths = 0;
    {
        Receiver r;
        ASSERT_TRUE(VkPostMessage(&r, WM_USER + 1000, 3, -4, std::make_unique<Counted>(deaths, 42)));
        EXPECT_EQ(r.got, 0); // posted, not sent
        QCoreApplication::sendPostedEvents(&r);
        EXPECT_EQ(r.got, 1);
        EXPECT_EQ(r.wParam, 3u);
        EXPECT_EQ(r.lParam, -4);
        ASSERT_NE(r.record, nullptr);
        EXPECT_EQ(r.record->value, 42);
        EXPECT_EQ(deaths, 0); // the receiver owns it now

        r.keep = false; // a receiver that ignores the record: the event deletes it
        VkPostMessage(&r, WM_USER + 1000, 0, 0, std::make_unique<Counted>(deaths, 1));
        QCoreApplication::sendPostedEvents(&r);
        EXPECT_EQ(deaths, 1);
    }
    EXPECT_EQ(deaths, 2);

    // Undelivered: the receiver went away first.
    auto* gone = new Receiver;
    VkPostMessage(gone, WM_USER + 1000, 0, 0, std::make_unique<Counted>(deaths, 2));
    delete gone;
    EXPECT_EQ(deaths, 3);

    // Unpostable numbers and null receivers delete the record at once.
    Receiver r;
    EXPECT_FALSE(VkPostMessage(&r, 5, 0, 0, std::make_unique<Counted>(deaths, 3)));
    EXPECT_FALSE(VkPostMessage(nullptr, WM_USER + 1000, 0, 0, std::make_unique<Counted>(deaths, 4)));
    EXPECT_EQ(deaths, 5);
}

TEST(VkPostedMessage, WrongRecordTypeStaysWithTheEvent)
{
    VkMessageEvent e(WM_USER + 1001, 0, 0, std::make_unique<Other>());
    EXPECT_EQ(e.TakeRecord<Counted>(), nullptr);
    EXPECT_TRUE(e.HasRecord());
    EXPECT_NE(e.TakeRecord<Other>(), nullptr);
    EXPECT_FALSE(e.HasRecord());
    EXPECT_EQ(e.Message(), WM_USER + 1001);
}

} // namespace
