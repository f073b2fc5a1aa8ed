#include "platform/core/notification_center.h"
#include "platform/testing/local_distributed_notification_center.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

TEST(NotificationCenter, DeliversByNameAndSenderToEveryMatchingObserverInOrder) {
    NotificationCenter center;
    int sender = 0, otherSender = 0;
    QStringList heard;
    center.addObserver(&heard, str("Changed"), nullptr, [&](const Notification& n) {
        heard << str("any sender:") + n.userInfo[str("what")].toString();
    });
    center.addObserver(&heard, str("Changed"), &sender,
                       [&](const Notification&) { heard << str("from sender"); });
    center.addObserver(&heard, QString(), nullptr,
                       [&](const Notification& n) { heard << str("all:") + n.name; });

    center.post(str("Changed"), &sender, Value::newDictionary({{str("what"), str("level")}}));
    center.post(str("Changed"), &otherSender);
    center.post(str("Other"));
    EXPECT_EQ(heard, QStringList({str("any sender:level"), str("from sender"), str("all:Changed"),
                                  str("any sender:"), str("all:Changed"), str("all:Other")}));
}

TEST(NotificationCenter, RemovedObserversHearNothingMore) {
    NotificationCenter center;
    int a = 0, b = 0, sender = 0;
    center.addObserver(&a, str("N"), nullptr, [&](const Notification&) { ++a; });
    center.addObserver(&a, str("M"), nullptr, [&](const Notification&) { ++a; });
    center.addObserver(&b, str("N"), &sender, [&](const Notification&) { ++b; });
    center.removeObserver(&a, str("N"));
    center.post(str("N"), &sender);
    center.post(str("M"));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    center.removeObserver(&a);
    center.removeObserver(&b, str("N"), &sender);
    center.post(str("N"), &sender);
    center.post(str("M"));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
}

TEST(NotificationCenter, ObserversChangedDuringDeliveryTakeEffectSafely) {
    NotificationCenter center;
    int first = 0, second = 0, added = 0;
    center.addObserver(&first, str("N"), nullptr, [&](const Notification&) {
        ++first;
        center.removeObserver(&second);
        center.addObserver(&added, str("N"), nullptr, [&](const Notification&) { ++added; });
    });
    center.addObserver(&second, str("N"), nullptr, [&](const Notification&) { ++second; });
    center.post(str("N"));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0) << "removed by an earlier observer of the same post";
    EXPECT_EQ(added, 0) << "added during the post: hears from the next one on";
    center.post(str("N"));
    EXPECT_EQ(added, 1);
}

TEST(LocalDistributedNotificationCenter, DeliversAtOnceAndRecordsPosts) {
    doubles::LocalDistributedNotificationCenter center;
    QStringList heard;
    center.addObserver(&heard, str("example.RequestForDevice"), QString(),
                       [&](const DistributedNotification& n) {
                           heard << n.userInfo[str("DeviceName")].toString();
                       });
    center.addObserver(&heard, QString(), str("other"),
                       [&](const DistributedNotification&) { heard << str("other"); });
    center.post(str("example.RequestForDevice"), QString(),
                Value::newDictionary({{str("DeviceName"), str("IR")}}));
    EXPECT_EQ(heard, QStringList{str("IR")});
    ASSERT_EQ(center.posted.size(), 1u);
    EXPECT_EQ(center.posted[0].name, str("example.RequestForDevice"));
}
