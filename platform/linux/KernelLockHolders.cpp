#include "platform/linux/KernelLockHolders.h"

#include "platform/linux/ProcLocks.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>

namespace platform::native {

namespace {

// The "Uid:" line is among the first ten of /proc/<pid>/status, far shorter than this.
constexpr std::streamsize longestStatusLine = 256;
constexpr int mostStatusLines = 64;

// The effective user of a running process; none once it is gone.
std::optional<uid_t> effectiveUserOf(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::array<char, longestStatusLine> line{};
    for (int read = 0; read < mostStatusLines && status.getline(line.data(), line.size()); ++read) {
        unsigned real = 0;
        unsigned effective = 0;
        if (std::sscanf(line.data(), "Uid: %u %u", &real, &effective) == 2) {
            return static_cast<uid_t>(effective);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<LockHolder> KernelLockHolders::ofFile(int descriptor) const {
    const auto file = ProcLocks::fileNameOf(descriptor);
    if (!file) {
        return std::nullopt;
    }
    std::ifstream locks("/proc/locks");
    const auto pid = ProcLocks::flockHolderIn(locks, *file);
    const auto user = pid ? effectiveUserOf(*pid) : std::nullopt;
    if (!user) {
        return std::nullopt;
    }
    return LockHolder{pid, *user};
}

std::optional<LockHolder> KernelLockHolders::ofSocketName(const std::string& name) const {
    const int diagnostics = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (diagnostics < 0) {
        return std::nullopt;
    }
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } query{};
    query.header.nlmsg_len = sizeof query;
    query.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    query.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    query.request.sdiag_family = AF_UNIX;
    query.request.udiag_states = ~0U;
    query.request.udiag_show = UDIAG_SHOW_NAME | UDIAG_SHOW_UID;
    std::optional<LockHolder> owner;
    bool done = ::send(diagnostics, &query, sizeof query, 0) != sizeof query;
    alignas(nlmsghdr) std::array<char, 32768> buffer{};
    while (!done) {
        const ssize_t received = ::recv(diagnostics, buffer.data(), buffer.size(), 0);
        done = received <= 0;
        // Unsigned as the header's own length, which NLMSG_OK compares it with.
        auto left = static_cast<std::uint32_t>(done ? 0 : received);
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data());
             !done && NLMSG_OK(header, left); header = NLMSG_NEXT(header, left)) {
            if (header->nlmsg_type != SOCK_DIAG_BY_FAMILY) {
                done = true; // the end of the list, or an error
                break;
            }
            auto* socket = static_cast<unix_diag_msg*>(NLMSG_DATA(header));
            int attributesLeft = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof *socket));
            bool named = false;
            std::optional<uid_t> user;
            for (auto* attribute = reinterpret_cast<rtattr*>(socket + 1);
                 RTA_OK(attribute, attributesLeft);
                 attribute = RTA_NEXT(attribute, attributesLeft)) {
                const std::string_view payload(static_cast<const char*>(RTA_DATA(attribute)),
                                               RTA_PAYLOAD(attribute));
                if (attribute->rta_type == UNIX_DIAG_NAME) {
                    named = payload == name;
                } else if (attribute->rta_type == UNIX_DIAG_UID &&
                           payload.size() == sizeof(uid_t)) {
                    uid_t value = 0;
                    std::memcpy(&value, payload.data(), sizeof value);
                    user = value;
                }
            }
            if (named) {
                if (user) {
                    owner = LockHolder{std::nullopt, *user};
                }
                done = true;
            }
        }
    }
    ::close(diagnostics);
    return owner;
}

} // namespace platform::native
