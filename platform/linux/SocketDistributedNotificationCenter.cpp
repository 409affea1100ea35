#include "platform/linux/SocketDistributedNotificationCenter.h"

#include "platform/DistributedNotificationCodec.h"
#include "platform/linux/NotificationSockets.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace platform::native {

SocketDistributedNotificationCenter::SocketDistributedNotificationCenter(
    std::optional<std::filesystem::path> folder, RunLoop& mainLoop, LogSink& log)
    : folder_(std::move(folder)),
      logger_(log, mainLoop.clock(), "app.tessaline.Tessaline", "Notifications"),
      observers_(std::make_shared<DistributedNotificationObservers>(mainLoop, log)) {}

SocketDistributedNotificationCenter::~SocketDistributedNotificationCenter() {
    std::lock_guard lock(mutex_);
    if (reader_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
        reader_.join();
    }
    if (socket_ >= 0) {
        ::close(socket_);
        ::unlink(socketPath_.c_str());
    }
    if (wake_ >= 0) {
        ::close(wake_);
    }
}

ObserverToken SocketDistributedNotificationCenter::addObserver(std::string name,
                                                               std::optional<std::string> object,
                                                               Handler handler) {
    if (!startListening()) {
        return 0;
    }
    return observers_->add(std::move(name), std::move(object), std::move(handler));
}

void SocketDistributedNotificationCenter::removeObserver(ObserverToken observer) {
    observers_->remove(observer);
}

bool SocketDistributedNotificationCenter::postNotification(
    const DistributedNotification& notification, bool) {
    if (!folder_) {
        return false;
    }
    const std::optional<std::string> message =
        DistributedNotificationCodec::encode(notification, ::getpid());
    if (!message) {
        logger_.error("did not post " + notification.name +
                      ": its user info is not plain or the message exceeds 4096 bytes");
        return false;
    }
    NotificationSockets::sendToAll(*folder_, *message, logger_);
    return true;
}

bool SocketDistributedNotificationCenter::isListening() const {
    std::lock_guard lock(mutex_);
    return reader_.joinable();
}

bool SocketDistributedNotificationCenter::startListening() {
    std::lock_guard lock(mutex_);
    if (reader_.joinable()) {
        return true;
    }
    if (!folder_) {
        return false;
    }
    const std::filesystem::path path = NotificationSockets::socketPath(*folder_, ::getpid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.string().size() >= sizeof address.sun_path) {
        logger_.error("the notification socket path is too long: " + path.string());
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.string().size() + 1);
    // A socket left under this process's id by an earlier process of the same id is stale.
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
        status.st_uid == ::geteuid()) {
        ::unlink(path.c_str());
    }
    const int descriptor = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int enable = 1;
    if (descriptor < 0 ||
        ::setsockopt(descriptor, SOL_SOCKET, SO_PASSCRED, &enable, sizeof enable) != 0 ||
        ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        logger_.error("cannot listen for distributed notifications at " + path.string() + ": " +
                      std::strerror(errno));
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        return false;
    }
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        ::close(descriptor);
        ::unlink(path.c_str());
        return false;
    }
    socket_ = descriptor;
    socketPath_ = path;
    reader_ = std::thread([this] { readMessages(); });
    return true;
}

void SocketDistributedNotificationCenter::readMessages() {
    // One byte more than the largest message tells an oversized one apart.
    std::array<char, DistributedNotificationCodec::maximumMessageSize + 1> buffer{};
    std::array<pollfd, 2> waits{{{socket_, POLLIN, 0}, {wake_, POLLIN, 0}}};
    for (;;) {
        if (::poll(waits.data(), waits.size(), -1) < 0 && errno != EINTR) {
            return;
        }
        if ((waits[1].revents & POLLIN) != 0) {
            return;
        }
        if ((waits[0].revents & (POLLERR | POLLNVAL)) != 0) {
            logger_.error("stopped reading distributed notifications: the socket failed");
            return;
        }
        for (;;) {
            iovec part{buffer.data(), buffer.size()};
            alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(ucred))> control{};
            msghdr header{};
            header.msg_iov = &part;
            header.msg_iovlen = 1;
            header.msg_control = control.data();
            header.msg_controllen = control.size();
            const ssize_t received = ::recvmsg(socket_, &header, MSG_DONTWAIT | MSG_TRUNC);
            if (received < 0) {
                break;
            }
            std::optional<ucred> sender;
            for (cmsghdr* item = CMSG_FIRSTHDR(&header); item != nullptr;
                 item = CMSG_NXTHDR(&header, item)) {
                if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_CREDENTIALS) {
                    ucred credentials{};
                    std::memcpy(&credentials, CMSG_DATA(item), sizeof credentials);
                    sender = credentials;
                }
            }
            if (!sender || sender->uid != ::geteuid()) {
                observers_->reportDropped("dropped a distributed notification from another user");
                continue;
            }
            const std::string origin = "process " + std::to_string(sender->pid);
            if ((header.msg_flags & MSG_TRUNC) != 0 ||
                static_cast<std::size_t>(received) >
                    DistributedNotificationCodec::maximumMessageSize) {
                observers_->reportDropped("dropped a distributed notification from " + origin +
                                          ": message larger than 4096 bytes");
                continue;
            }
            observers_->receive(std::string_view(buffer.data(), static_cast<std::size_t>(received)),
                                origin);
        }
    }
}

} // namespace platform::native
