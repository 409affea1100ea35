#include "platform/linux/SocketDistributedNotificationCenter.h"
#include "platform/DistributedNotificationCodec.h"
#include "platform/DistributedNotificationObservers.h"
#include "platform/RealTimeRunLoop.h"
#include "platform/RecordingLogSink.h"
#include "platform/SystemClock.h"
#include "platform/linux/NotificationSockets.h"
#include "platform/sim/VirtualRunLoop.h"
#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;

constexpr const char* requestName = "app.tessaline.Tessaline.activation-request";

struct SocketRig {
    SocketRig() : center(folder.path(), loop, log) {
        center.addObserver(requestName, "app.tessaline.Tessaline",
                           [this](const DistributedNotification& notification) {
                               received.push_back(notification);
                           });
    }

    // Runs the loop until `count` notifications arrived or five seconds passed.
    bool waitFor(std::size_t count) {
        for (int turn = 0; turn < 500 && received.size() < count; ++turn) {
            loop.runFor(10ms);
        }
        return received.size() >= count;
    }

    // Sends raw bytes to this process's socket, as a misbehaving process might.
    void sendRaw(const std::string& bytes) {
        const int sender = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path =
            native::NotificationSockets::socketPath(folder.path(), ::getpid()).string();
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ::sendto(sender, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address),
                 sizeof address);
        ::close(sender);
    }

    TemporaryFolder folder;
    SystemClock clock;
    RealTimeRunLoop loop{clock};
    RecordingLogSink log;
    native::SocketDistributedNotificationCenter center;
    std::vector<DistributedNotification> received;
};

TEST(SocketDistributedNotificationCenter, NotificationOfAForkedChildReachesTheParent) {
    SocketRig rig;
    ASSERT_TRUE(rig.center.isListening());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child posts without observing: it binds no socket of its own.
        SystemClock clock;
        RealTimeRunLoop loop(clock);
        RecordingLogSink log;
        native::SocketDistributedNotificationCenter center(rig.folder.path(), loop, log);
        const bool posted = center.postNotification(
            {requestName,
             "app.tessaline.Tessaline",
             {{"requestingPID", Value(static_cast<std::int64_t>(::getpid()))}}},
            true);
        ::_exit(posted ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(rig.waitFor(1));
    EXPECT_EQ(rig.received[0].object, "app.tessaline.Tessaline");
    EXPECT_EQ(rig.received[0].userInfo.at("requestingPID").integer(), child);
}

TEST(SocketDistributedNotificationCenter, BadMessagesAreDroppedWithALogLineAndLaterOnesArrive) {
    SocketRig rig;
    rig.sendRaw("not json");
    rig.sendRaw(std::string(DistributedNotificationCodec::maximumMessageSize + 100, '{'));
    rig.sendRaw(R"({"format":"someone-else","name":"x"})");
    ASSERT_TRUE(rig.center.postNotification({requestName, "app.tessaline.Tessaline", {}}, true));
    ASSERT_TRUE(rig.waitFor(1));
    EXPECT_EQ(rig.received.size(), 1u);
    const auto entries = rig.log.entries();
    EXPECT_TRUE(rig.log.contains("message is not a JSON object"));
    EXPECT_TRUE(rig.log.contains("message larger than 4096 bytes"));
    EXPECT_TRUE(rig.log.contains("not a distributed notification of this program"));
}

// A process flooding the socket with bad messages gets a few log lines a minute, and the next
// line after the flood says how many were left out.
TEST(SocketDistributedNotificationCenter, DroppedMessagesAreLoggedAtABoundedRate) {
    sim::VirtualClock clock;
    sim::VirtualRunLoop loop(clock);
    RecordingLogSink log;
    DistributedNotificationObservers observers(loop, log);
    constexpr int limit = DistributedNotificationObservers::droppedLinesPerMinute;
    for (int message = 0; message < 1000; ++message) {
        observers.receive("not json", "process 7");
        clock.sleep(10ms);
    }
    EXPECT_EQ(log.entries().size(), std::size_t(limit));
    clock.sleep(1min);
    observers.reportDropped("dropped a distributed notification from another user");
    ASSERT_EQ(log.entries().size(), std::size_t(limit) + 1);
    EXPECT_NE(log.entries().back().message.find(std::to_string(1000 - limit) + " earlier lines"),
              std::string::npos)
        << log.entries().back().message;
}

TEST(SocketDistributedNotificationCenter, MessageOfAnotherUserIsDropped) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "sending as another user needs root";
    }
    SocketRig rig;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Connected while still allowed into the folder; the credentials are those of the send.
        const int sender = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path =
            native::NotificationSockets::socketPath(rig.folder.path(), ::getppid()).string();
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const auto message = DistributedNotificationCodec::encode(
            {requestName, "app.tessaline.Tessaline", {}}, ::getpid());
        const bool sent =
            ::connect(sender, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
            ::send(sender, message->data(), message->size(), 0) > 0;
        ::_exit(sent ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int turn = 0; turn < 500 && !rig.log.contains("another user"); ++turn) {
        rig.loop.runFor(10ms);
    }
    EXPECT_TRUE(rig.log.contains("dropped a distributed notification from another user"));
    EXPECT_TRUE(rig.received.empty());
}

TEST(SocketDistributedNotificationCenter, StaleSocketsAreRemovedWhenPosting) {
    SocketRig rig;
    // A socket whose process died without removing it.
    const auto stale = native::NotificationSockets::socketPath(rig.folder.path(), 999999);
    {
        const int descriptor = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(descriptor);
    }
    ASSERT_TRUE(std::filesystem::exists(stale));
    ASSERT_TRUE(rig.center.postNotification({requestName, "app.tessaline.Tessaline", {}}, true));
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(rig.waitFor(1));
}

TEST(SocketDistributedNotificationCenter, NothingIsSentThroughALink) {
    SocketRig rig;
    TemporaryFolder elsewhere;
    const auto target = elsewhere.path() / "victim";
    { std::ofstream(target) << "keep"; }
    std::filesystem::create_symlink(
        target, native::NotificationSockets::socketPath(rig.folder.path(), 999998));
    ASSERT_TRUE(rig.center.postNotification({requestName, "app.tessaline.Tessaline", {}}, true));
    EXPECT_TRUE(rig.waitFor(1));
    EXPECT_EQ(TemporaryFolder::read(target), "keep");
    EXPECT_TRUE(std::filesystem::is_symlink(
        native::NotificationSockets::socketPath(rig.folder.path(), 999998)));
}

TEST(SocketDistributedNotificationCenter, WithoutAFolderNothingIsSentOrObserved) {
    SystemClock clock;
    RealTimeRunLoop loop(clock);
    RecordingLogSink log;
    native::SocketDistributedNotificationCenter center(std::nullopt, loop, log);
    EXPECT_EQ(center.addObserver("n", std::nullopt, [](const DistributedNotification&) {}), 0u);
    EXPECT_FALSE(center.postNotification({"n", std::nullopt, {}}, true));
}

TEST(SocketDistributedNotificationCenter, SocketIsRemovedWithTheCenter) {
    TemporaryFolder folder;
    SystemClock clock;
    RealTimeRunLoop loop(clock);
    RecordingLogSink log;
    const auto path = native::NotificationSockets::socketPath(folder.path(), ::getpid());
    {
        native::SocketDistributedNotificationCenter center(folder.path(), loop, log);
        center.addObserver("n", std::nullopt, [](const DistributedNotification&) {});
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
