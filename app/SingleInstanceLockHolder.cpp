#include "app/SingleInstanceLockHolder.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

namespace Parlowen {

namespace {

// /proc/locks holds a line per lock of the whole system; lines are far shorter than this.
constexpr std::streamsize longestLine = 256;
constexpr int mostLockLines = 100'000;
// The "Uid:" line is among the first ten of /proc/<pid>/status.
constexpr int mostStatusLines = 64;

// The effective user of a running process; none once it is gone.
std::optional<uid_t> effectiveUserOf(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::array<char, longestLine> line{};
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

std::optional<pid_t> SingleInstanceLockHolder::flockHolderIn(std::istream& locks, dev_t device,
                                                             ino_t inode) {
    // The kernel writes the file as major:minor:inode, the device numbers in two-digit hex.
    std::array<char, 64> file{};
    std::snprintf(file.data(), file.size(), "%02x:%02x:%lu", ::major(device), ::minor(device),
                  static_cast<unsigned long>(inode));
    std::array<char, longestLine> line{};
    for (int read = 0; read < mostLockLines && locks.getline(line.data(), line.size()); ++read) {
        // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:5678 0 EOF"; a waiter's line has "->" after
        // its number.
        std::istringstream fields{std::string(line.data())};
        std::string number, kind, mode, access, where;
        long long pid = 0;
        if (fields >> number >> kind >> mode >> access >> pid >> where && kind == "FLOCK" &&
            where == file.data() && pid > 0) {
            return static_cast<pid_t>(pid);
        }
    }
    return std::nullopt;
}

std::optional<SingleInstanceLockHolder> SingleInstanceLockHolder::ofFile(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        return std::nullopt;
    }
    std::ifstream locks("/proc/locks");
    const auto pid = flockHolderIn(locks, status.st_dev, status.st_ino);
    const auto user = pid ? effectiveUserOf(*pid) : std::nullopt;
    if (!user) {
        return std::nullopt;
    }
    return SingleInstanceLockHolder{pid, *user};
}

std::optional<SingleInstanceLockHolder> SingleInstanceLockHolder::ofName(const std::string& name) {
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
    std::optional<SingleInstanceLockHolder> owner;
    bool done = ::send(diagnostics, &query, sizeof query, 0) != sizeof query;
    alignas(nlmsghdr) std::array<char, 32768> buffer{};
    while (!done) {
        const ssize_t received = ::recv(diagnostics, buffer.data(), buffer.size(), 0);
        int left = static_cast<int>(received);
        done = received <= 0;
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
                    owner = SingleInstanceLockHolder{std::nullopt, *user};
                }
                done = true;
            }
        }
    }
    ::close(diagnostics);
    return owner;
}

} // namespace Parlowen
