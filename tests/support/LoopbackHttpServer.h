#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// One request as the server received it.
struct HttpRequest {
    std::string method;
    std::string path;
    std::string query;
    std::map<std::string, std::string>
        headers; // names lower-cased; repeated headers joined by ", "
    std::string body;
};

// What the server answers.
struct HttpResponse {
    int status = 200;
    std::map<std::string, std::string> headers;
    std::string body;
    // When set, the body goes out one byte at a time, this long apart, until the client leaves.
    std::chrono::milliseconds trickle{0};
    // How the client learns where the body ends: its length in the header, chunks, or the
    // connection closing.
    enum class Framing { length, chunked, close };
    Framing framing = Framing::length;
    // When set, the body goes out in pieces of at most this many bytes (each its own chunk when
    // chunked) instead of all at once.
    std::size_t pieceBytes = 0;
};

// An HTTP server on 127.0.0.1 and an ephemeral port for tests: it records every request and answers
// scripted responses. It serves on its own thread from construction until stop() or destruction.
class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int port() const;
    // "http://127.0.0.1:<port>" followed by the path.
    std::string url(const std::string& path) const;
    // The answer for requests to this path; paths without an answer get 404.
    void respond(const std::string& path, HttpResponse response);
    // Answers every request, taking precedence over respond(); called on the server's threads.
    void setHandler(std::function<HttpResponse(const HttpRequest&)> handler);
    // Everything received so far, in order of arrival.
    std::vector<HttpRequest> requests() const;
    // What happened, in order: "GET /path" as a request arrives and, for a body that is
    // trickled or not sent with its length, "/path sent" once all of it went out or "/path left"
    // when the client went away first.
    std::vector<std::string> transcript() const;
    // Stops serving; connections are refused afterwards. Safe to call more than once.
    void stop();

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace testsupport
