// Live states at plant scale, through a real broker this program starts on 127.0.0.1:
// 10,000 bound objects in one document shown in a view, and a publisher sending 20,000 state
// messages a second for 10 s. Reports whether every message was applied, the time from
// publishing a message to the end of the view's repaint that shows it (median and 99th
// percentile), and how busy the UI thread was meanwhile (its processor time over the wall
// time). One long iteration; the figures are counters.
//
//   QT_QPA_PLATFORM=offscreen build/bench/live_feed_bench
//
// bench_main.cpp gives it a widget application.
#include <benchmark/benchmark.h>
#include <mosquitto.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "feed/test_broker.h"
#include "scheme/document/scheme_data.h"
#include "scheme/feed/state_feed.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/view/scheme_visual.h"

using namespace scheme;
using namespace scheme::testing;

namespace {

constexpr int kObjects = 10000;
constexpr int kColumns = 100;
constexpr int kRate = 20000;
constexpr int kSeconds = 10;

qint64 Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double ThreadCpuSeconds() {
    timespec T{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
    return double(T.tv_sec) + double(T.tv_nsec) * 1e-9;
}

// The publish time a payload {"v":S,"t":NANOSECONDS} carries.
qint64 SentAt(const QByteArray& Payload) {
    const qsizetype At = Payload.indexOf("\"t\":");
    return At < 0 ? 0 : Payload.mid(At + 4, Payload.size() - At - 5).toLongLong();
}

// Times the end of each paint of the view: the messages applied before it are shown by it.
class TPaintClock : public QObject {
public:
    // Publish and receipt times of the messages applied since the last paint.
    std::vector<std::pair<qint64, qint64>> Waiting;
    std::vector<double> LatenciesMs;
    std::vector<double> InProgramMs;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() != QEvent::Paint) return false;
        std::vector<std::pair<qint64, qint64>> Shown;
        Shown.swap(Waiting);
        Watched->event(Event);
        const qint64 Done = Now();
        for (const auto& [Sent, Received] : Shown) {
            LatenciesMs.push_back(double(Done - Sent) * 1e-6);
            InProgramMs.push_back(double(Done - Received) * 1e-6);
        }
        return true;
    }
};

// Publishes kRate messages a second, round the objects, from a thread and a client of its own.
void Publish(int Port, std::atomic<qint64>& Sent) {
    mosquitto* M = mosquitto_new(nullptr, true, nullptr);
    mosquitto_int_option(M, MOSQ_OPT_SEND_MAXIMUM, 65535);
    if (mosquitto_connect(M, "127.0.0.1", Port, 30) != MOSQ_ERR_SUCCESS) return;
    mosquitto_loop_start(M);
    const qint64 Start = Now();
    qint64 N = 0;
    const qint64 Total = qint64(kRate) * kSeconds;
    while (N < Total) {
        const qint64 Due = std::min(Total, (Now() - Start) * kRate / 1000000000 + 1);
        for (; N < Due; ++N) {
            const int Obj = int(N % kObjects);
            const int State = int(N / kObjects % 3) + 1;
            const QByteArray Topic = "bench/o" + QByteArray::number(Obj);
            const QByteArray Payload =
                "{\"v\":" + QByteArray::number(State) + ",\"t\":" + QByteArray::number(Now()) + "}";
            mosquitto_publish(M, nullptr, Topic.constData(), int(Payload.size()),
                              Payload.constData(), 0, false);
        }
        Sent = N;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    mosquitto_disconnect(M);
    mosquitto_loop_stop(M, false);
    mosquitto_destroy(M);
}

void LiveFeed(benchmark::State& State) {
    mosquitto_lib_init();
    TTestBroker Broker;
    if (!Broker.Start()) {
        State.SkipWithError("mosquitto did not start");
        return;
    }
    TSchemeData Data;
    const TColor Colors[] = {clWhite, clLime, clYellow, clRed};
    Data.LayerAdd(1)->SetAllStateColors(Colors);
    for (int I = 0; I < kObjects; ++I)
        Data.ObjectAddShapeExt(1, I, 9 * (I % kColumns), 9 * (I / kColumns), 8, 8, 0,
                               TShapeType::stRectangle)
            ->SetProperties({"state.topic=bench/o" + QString::number(I), "state.field=v"});
    TSchemeVisual View;
    View.SetSchemeData(&Data);
    View.resize(9 * kColumns + 20, 9 * kObjects / kColumns + 20);
    View.show();
    TPaintClock Clock;
    View.viewport()->installEventFilter(&Clock);
    TStateFeed Feed(Data);
    TBrokerSettings Settings;
    Settings.Port = Broker.Port();
    Feed.SetBroker(Settings);
    Feed.OnStateMessage = [&](TSchemeObject*, const QByteArray& Payload) {
        if (const qint64 Sent = SentAt(Payload)) Clock.Waiting.emplace_back(Sent, Now());
    };
    Feed.Start();
    {
        // Subscribed once a value published after the subscription arrives.
        TTestClient Probe(Broker.Port());
        WaitFor([&] { return Feed.State() == TFeedState::Connected; });
        WaitFor([&] {
            Probe.Publish("bench/o9999", "{\"v\":0}");
            return Feed.MessagesApplied() > 0;
        });
    }
    QApplication::processEvents();
    const qint64 Before = Feed.MessagesApplied();
    Clock.Waiting.clear();
    Clock.LatenciesMs.clear();
    Clock.InProgramMs.clear();

    for (auto _ : State) {
        std::atomic<qint64> Sent{0};
        const double Cpu0 = ThreadCpuSeconds();
        QElapsedTimer Wall;
        Wall.start();
        std::thread Publisher(Publish, Broker.Port(), std::ref(Sent));
        const qint64 Total = qint64(kRate) * kSeconds;
        // The publishing time and then at most 10 s more for the last messages to arrive. The
        // event loop waits for events between them, as an application's does, so the processor
        // time counted is the feed's and the view's, not a polling loop's.
        QEventLoop Loop;
        QTimer Check;
        QObject::connect(&Check, &QTimer::timeout, &Loop, [&] {
            if (Feed.MessagesApplied() - Before >= Total || Wall.elapsed() >= 2000 * kSeconds)
                Loop.quit();
        });
        Check.start(20);
        Loop.exec();
        QApplication::processEvents();
        const double Busy = (ThreadCpuSeconds() - Cpu0) / (double(Wall.elapsed()) * 1e-3);
        Publisher.join();
        std::vector<double>& L = Clock.LatenciesMs;
        std::vector<double>& P = Clock.InProgramMs;
        std::sort(L.begin(), L.end());
        std::sort(P.begin(), P.end());
        const auto At = [](const std::vector<double>& V, double Q) {
            return V.empty() ? 0.0 : V[size_t(Q * double(V.size() - 1))];
        };
        State.counters["published"] = double(Sent);
        State.counters["applied"] = double(Feed.MessagesApplied() - Before);
        State.counters["ignored"] = double(Feed.MessagesIgnored());
        // From publishing to the end of the repaint, and from receipt to the end of the repaint.
        State.counters["median_ms"] = At(L, 0.5);
        State.counters["p99_ms"] = At(L, 0.99);
        State.counters["recv_median_ms"] = At(P, 0.5);
        State.counters["recv_p99_ms"] = At(P, 0.99);
        State.counters["max_ms"] = L.empty() ? 0.0 : L.back();
        State.counters["ui_busy_pct"] = 100 * Busy;
        State.counters["seconds"] = double(Wall.elapsed()) * 1e-3;
    }
    Feed.Stop();
    mosquitto_lib_cleanup();
}

BENCHMARK(LiveFeed)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
