#include "tests/support/LoopbackHttpServer.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <mutex>
#include <thread>

namespace testsupport {

struct LoopbackHttpServer::State {
    httplib::Server server;
    std::thread thread;
    int port = -1;
    mutable std::mutex mutex;
    std::map<std::string, HttpResponse> responses;
    std::function<HttpResponse(const HttpRequest&)> handler;
    std::vector<HttpRequest> received;
    std::vector<std::string> events;
    std::once_flag stopped;

    void note(std::string event) {
        std::lock_guard lock(mutex);
        events.push_back(std::move(event));
    }

    HttpResponse answer(const HttpRequest& request) {
        std::function<HttpResponse(const HttpRequest&)> current;
        {
            std::lock_guard lock(mutex);
            received.push_back(request);
            events.push_back(request.method + " " + request.path);
            if (!handler) {
                const auto found = responses.find(request.path);
                return found == responses.end() ? HttpResponse{404, {}, {}} : found->second;
            }
            current = handler;
        }
        // Outside the lock, so a handler may itself look at requests().
        return current(request);
    }
};

namespace {

std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

HttpRequest recorded(const httplib::Request& request) {
    HttpRequest result;
    result.method = request.method;
    result.path = request.path;
    const auto mark = request.target.find('?');
    if (mark != std::string::npos) {
        result.query = request.target.substr(mark + 1);
    }
    for (const auto& [name, value] : request.headers) {
        auto& slot = result.headers[lowerCased(name)];
        slot = slot.empty() ? value : slot + ", " + value;
    }
    result.body = request.body;
    return result;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer() : state(std::make_unique<State>()) {
    const auto serve = [this](const httplib::Request& request, httplib::Response& response) {
        const HttpResponse answer = state->answer(recorded(request));
        response.status = answer.status;
        for (const auto& [name, value] : answer.headers) {
            response.set_header(name, value);
        }
        using Framing = HttpResponse::Framing;
        if (answer.trickle.count() == 0 && answer.pieceBytes == 0 &&
            answer.framing == Framing::length) {
            response.body = answer.body;
            return;
        }
        // Called once the response is over, whether its body went out in full or not.
        auto ended = [state = state.get(), path = request.path](bool sent) {
            state->note(path + (sent ? " sent" : " left"));
        };
        // The next piece at `offset` (one byte when trickling); false once the client left.
        const std::size_t pieceBytes = answer.trickle.count() > 0 ? 1 : answer.pieceBytes;
        auto sendFrom = [body = answer.body, pause = answer.trickle,
                         pieceBytes](std::size_t offset, httplib::DataSink& sink) {
            std::this_thread::sleep_for(pause);
            const std::size_t left = body.size() - offset;
            return sink.write(body.data() + offset,
                              pieceBytes > 0 ? std::min(pieceBytes, left) : left);
        };
        const auto type = "application/octet-stream";
        if (answer.framing == Framing::length) {
            response.set_content_provider(
                answer.body.size(), type,
                [sendFrom](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    return sendFrom(offset, sink);
                },
                ended);
            return;
        }
        auto sendUntilDone = [sendFrom, size = answer.body.size()](std::size_t offset,
                                                                   httplib::DataSink& sink) {
            if (offset >= size) {
                sink.done();
                return true;
            }
            return sendFrom(offset, sink);
        };
        if (answer.framing == Framing::chunked) {
            response.set_chunked_content_provider(type, sendUntilDone, ended);
        } else {
            response.set_content_provider(type, sendUntilDone, ended);
        }
    };
    // Answers go out at once instead of waiting for the client's delayed acknowledgement.
    state->server.set_tcp_nodelay(true);
    const std::string anyPath = ".*";
    state->server.Get(anyPath, serve)
        .Post(anyPath, serve)
        .Put(anyPath, serve)
        .Patch(anyPath, serve)
        .Delete(anyPath, serve)
        .Options(anyPath, serve);
    // Binding happens here, so connections made right after construction wait in the backlog.
    state->port = state->server.bind_to_any_port("127.0.0.1");
    if (state->port > 0) {
        state->thread = std::thread([this] { state->server.listen_after_bind(); });
        // The server ignores stop() until its loop has started, so wait for that here.
        while (!state->server.is_running()) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop();
}

int LoopbackHttpServer::port() const {
    return state->port;
}

std::string LoopbackHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(state->port) + path;
}

void LoopbackHttpServer::respond(const std::string& path, HttpResponse response) {
    std::lock_guard lock(state->mutex);
    state->responses[path] = std::move(response);
}

void LoopbackHttpServer::setHandler(std::function<HttpResponse(const HttpRequest&)> handler) {
    std::lock_guard lock(state->mutex);
    state->handler = std::move(handler);
}

std::vector<HttpRequest> LoopbackHttpServer::requests() const {
    std::lock_guard lock(state->mutex);
    return state->received;
}

std::vector<std::string> LoopbackHttpServer::transcript() const {
    std::lock_guard lock(state->mutex);
    return state->events;
}

void LoopbackHttpServer::stop() {
    std::call_once(state->stopped, [this] {
        state->server.stop();
        if (state->thread.joinable()) {
            state->thread.join();
        }
    });
}

} // namespace testsupport
