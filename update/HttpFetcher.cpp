#include "update/HttpFetcher.h"

#include "platform/FileReplacement.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>

namespace update::HttpFetcher {
namespace {

// Takes each chunk of the body; answers why it could not (a full disk), none when it could.
using Sink = std::function<std::optional<std::string>(std::string_view)>;

// How often a transfer looks at its cancellation and deadline while the connection is quiet.
constexpr int checkIntervalMilliseconds = 100;

struct Transfer {
    const HttpFetchRequest& request;
    const Sink& sink;
    CURL* handle = nullptr;
    std::chrono::steady_clock::time_point deadline{};
    std::uint64_t received = 0;
    std::optional<std::string> writeError{};
    bool tooLarge = false;
    bool announced = false;
    bool tooSlow = false;
    bool cancelled = false;

    // Notes why the transfer must stop now (cancelled, past its deadline); false when it may go
    // on.
    bool mustStop() {
        cancelled = request.cancelled && request.cancelled->load();
        tooSlow = !cancelled && std::chrono::steady_clock::now() >= deadline;
        return cancelled || tooSlow;
    }
};

// Reports the length the server announced (0 when none), once, before the first chunk.
void announceLength(Transfer& transfer) {
    if (transfer.announced) {
        return;
    }
    transfer.announced = true;
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (transfer.request.onExpectedLength) {
        transfer.request.onExpectedLength(length > 0 ? static_cast<std::uint64_t>(length) : 0);
    }
}

std::size_t receive(char* data, std::size_t size, std::size_t count, void* context) {
    auto& transfer = *static_cast<Transfer*>(context);
    const std::size_t length = size * count;
    if (transfer.mustStop()) {
        return 0;
    }
    announceLength(transfer);
    // Counted here, not only by curl: a body without a length (chunked, or ended by closing the
    // connection) is stopped at the cap just the same.
    if (transfer.received + length > transfer.request.maxBytes) {
        transfer.tooLarge = true;
        return 0;
    }
    transfer.writeError = transfer.sink(std::string_view(data, length));
    if (transfer.writeError) {
        return 0;
    }
    transfer.received += length;
    if (transfer.request.onData) {
        transfer.request.onData(length);
    }
    return length;
}

// Runs the transfer until it ends, is cancelled or passes its deadline. The multi interface
// waits for the connection at most `checkIntervalMilliseconds` at a time, so a cancellation is
// seen that soon however quiet the server is (a resolver or a stalled body included).
CURLcode perform(CURL* handle, Transfer& transfer) {
    const std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)> multi(curl_multi_init(),
                                                                      curl_multi_cleanup);
    if (!multi || curl_multi_add_handle(multi.get(), handle) != CURLM_OK) {
        return CURLE_OUT_OF_MEMORY;
    }
    CURLcode code = CURLE_OK;
    int running = 1;
    while (running > 0 && !transfer.mustStop()) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK ||
            (running > 0 && curl_multi_poll(multi.get(), nullptr, 0, checkIntervalMilliseconds,
                                            nullptr) != CURLM_OK)) {
            code = CURLE_RECV_ERROR;
            break;
        }
    }
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
            code = message->data.result;
        }
    }
    curl_multi_remove_handle(multi.get(), handle);
    return code;
}

UpdateError failure(const HttpFetchRequest& request, std::string text) {
    return {request.errorCode, std::move(text)};
}

// "256", "0.3": seconds as people write them.
std::string secondsText(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

// The body handed to `sink`, or why it could not be.
std::optional<UpdateError> transfer(const HttpFetchRequest& request, const Sink& sink) {
    static std::once_flag initialized;
    std::call_once(initialized, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   curl_easy_cleanup);
    if (!curl) {
        return failure(request, "The download could not be started.");
    }
    CURL* handle = curl.get();
    Transfer transfer{.request = request,
                      .sink = sink,
                      .handle = handle,
                      .deadline = std::chrono::steady_clock::now() + request.deadline};
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 30L);
    // A stalled server fails the download instead of hanging it.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(std::min<std::uint64_t>(
                         request.maxBytes, std::numeric_limits<curl_off_t>::max())));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);

    const CURLcode code = perform(handle, transfer);
    if (transfer.writeError) {
        return failure(request, *transfer.writeError);
    }
    if (transfer.cancelled) {
        return UpdateError{UpdateErrorCode::installationCanceled, "The download was cancelled."};
    }
    if (transfer.tooSlow) {
        return failure(request, "The server is too slow: the transfer did not finish within " +
                                    secondsText(request.deadline) + " seconds.");
    }
    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        return failure(request, request.tooLargeMessage);
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (code == CURLE_HTTP_RETURNED_ERROR || (code == CURLE_OK && (status < 200 || status > 299))) {
        return failure(request,
                       "The server answered with HTTP status " + std::to_string(status) + ".");
    }
    if (code != CURLE_OK) {
        return failure(request, std::string("The download failed: ") + curl_easy_strerror(code));
    }
    return std::nullopt;
}

} // namespace

std::variant<std::string, UpdateError> fetch(const HttpFetchRequest& request) {
    std::string body;
    if (auto error = transfer(request, [&body](std::string_view chunk) {
            body.append(chunk);
            return std::nullopt;
        })) {
        return *error;
    }
    return body;
}

std::optional<UpdateError> fetchToFile(const HttpFetchRequest& request, int descriptor,
                                       const std::filesystem::path& folder) {
    return transfer(request, [&](std::string_view chunk) -> std::optional<std::string> {
        if (const int error = platform::FileReplacement::writeAll(descriptor, chunk)) {
            return "The download could not be saved in \"" + folder.string() + "\" (" +
                   std::strerror(error) + ").";
        }
        return std::nullopt;
    });
}

} // namespace update::HttpFetcher

namespace update {

std::chrono::milliseconds TransferDeadline::forSize(std::uint64_t bytes) const {
    const auto limit = static_cast<double>(ceiling.count());
    const double wanted = minimumBytesPerSecond > 0
                              ? static_cast<double>(bytes) / minimumBytesPerSecond * 1000.0
                              : limit;
    const std::chrono::milliseconds atRate(static_cast<std::int64_t>(std::min(wanted, limit)));
    return std::min(ceiling, std::max(floor, atRate));
}

} // namespace update
