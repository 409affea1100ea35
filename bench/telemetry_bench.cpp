// Capturing a telemetry event: what the calling thread pays for one Quick Open attempt event
// (16 tags, 7 extras, a scope with user and release tags) while the worker sends to a loopback
// server. Sending is paused every 100 events to let the queue drain, outside the measurement.
// Flushing a hundred queued events to the loopback server: the budget is 2 s.

#include "sentry/SentrySDK.h"
#include "tests/support/LoopbackHttpServer.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace {

// Sends to a loopback server that takes every envelope.
struct LoopbackClient {
    LoopbackClient() {
        server.respond("/api/1/envelope/", {200, {}, "{}"});
        sentry::Options options;
        options.dsn = "http://key@127.0.0.1:" + std::to_string(server.port()) + "/1";
        options.releaseName = "tessaline@1.0+1";
        options.environment = "release";
        sdk.start(options);
    }
    testsupport::LoopbackHttpServer server;
    sentry::SentrySDK sdk;
};

void captureQuickOpenEvent(benchmark::State& state) {
    LoopbackClient client;
    auto& sdk = client.sdk;
    sdk.configureScope([](sentry::Scope& scope) {
        scope.setUser(sentry::SentryUser{"8a0e6b3c-0d6f-4f3c-9d55-0a1b2c3d4e5f", "someone",
                                         "Some One", "{{auto}}"});
        scope.setTag("1.0", "tessaline.version");
        scope.setTag("1", "tessaline.build");
    });
    std::map<std::string, std::string> tags;
    for (const char* key :
         {"outcome", "openObserved", "keyboardNavigable", "evidenceSource", "classification",
          "action", "openedByAction", "accessibility", "appVersion", "appBundleID",
          "targetAppBundleID", "trigger", "pipelineVersion", "terminalPhase",
          "visibilityRevealResult", "visibilityRevealAttempted"}) {
        tags[key] = std::string(key) + "-value";
    }
    const nlohmann::json sequence = {"0:lightweight:AXPress:failure:none",
                                     "1:lightweight:AXShowMenu:observed-open:axMenuOpened"};

    std::size_t captured = 0;
    for (auto _ : state) {
        const auto id = sdk.capture("quick_open_attempt", [&](sentry::Scope& scope) {
            for (const auto& [key, value] : tags) {
                scope.setTag(value, key);
            }
            scope.setExtra(120, "durationMs");
            scope.setExtra(2, "attemptCount");
            scope.setExtra(1, "successAttemptCount");
            scope.setExtra(2, "supportedActionCount");
            scope.setExtra(1, "observedAttemptIndex");
            scope.setExtra(0, "postRevealAttemptCount");
            scope.setExtra(sequence, "actionSequence");
        });
        benchmark::DoNotOptimize(id);
        if (++captured % 100 == 0) {
            state.PauseTiming();
            sdk.flush(10);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(captureQuickOpenEvent)->Unit(benchmark::kMicrosecond);

void flushHundredQueuedEvents(benchmark::State& state) {
    LoopbackClient client;
    auto& sdk = client.sdk;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 100; ++i) {
            sdk.capture("event " + std::to_string(i));
        }
        state.ResumeTiming();
        if (!sdk.flush(10)) {
            state.SkipWithError("the flush did not deliver every event");
            break;
        }
    }
}
BENCHMARK(flushHundredQueuedEvents)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
