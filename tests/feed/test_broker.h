#pragma once

// A mosquitto broker of the tests' own on 127.0.0.1, on a free port, with its own config file
// (anonymous clients allowed, nothing kept on disk), and a plain client to publish and listen
// with. Nothing but this broker is contacted.
#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace scheme::testing {

class TTestBroker {
public:
    TTestBroker() {
        // The port of a socket bound to port 0 and closed again is free for the broker.
        const int Probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in At = Loopback(0);
        socklen_t Size = sizeof At;
        if (bind(Probe, reinterpret_cast<sockaddr*>(&At), Size) == 0 &&
            getsockname(Probe, reinterpret_cast<sockaddr*>(&At), &Size) == 0)
            FPort = ntohs(At.sin_port);
        close(Probe);
        FConfig = FDir.filePath(QStringLiteral("mosquitto.conf"));
        QFile File(FConfig);
        if (File.open(QIODevice::WriteOnly))
            File.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n"
                                      "persistence false\nlog_dest none\n")
                           .arg(FPort)
                           .toUtf8());
    }
    ~TTestBroker() { Stop(); }
    TTestBroker(const TTestBroker&) = delete;
    TTestBroker& operator=(const TTestBroker&) = delete;

    int Port() const { return FPort; }
    bool Running() const { return FProcess.state() == QProcess::Running; }

    // Starts the broker and waits until it takes connections.
    bool Start() {
        FProcess.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), FConfig});
        if (!FProcess.waitForStarted(3000)) return false;
        const QDeadlineTimer Deadline(5000);
        while (!Deadline.hasExpired()) {
            const int Socket = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in At = Loopback(FPort);
            const bool Up = connect(Socket, reinterpret_cast<sockaddr*>(&At), sizeof At) == 0;
            close(Socket);
            if (Up) return true;
            if (FProcess.state() != QProcess::Running) return false;
            QThread::msleep(10);
        }
        return false;
    }

    void Stop() {
        if (FProcess.state() == QProcess::NotRunning) return;
        FProcess.kill();
        FProcess.waitForFinished(3000);
    }

private:
    static sockaddr_in Loopback(int Port) {
        sockaddr_in At{};
        At.sin_family = AF_INET;
        At.sin_port = htons(uint16_t(Port));
        At.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return At;
    }

    QTemporaryDir FDir;
    QString FConfig;
    int FPort = 0;
    QProcess FProcess;
};

// A blocking client for the tests' side: publishes, and keeps what it receives.
class TTestClient {
public:
    explicit TTestClient(int Port) {
        FMosq = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(
            FMosq, [](mosquitto*, void* Self, const mosquitto_message* M) {
                static_cast<TTestClient*>(Self)->Received.emplace_back(
                    M->topic, QByteArray(static_cast<const char*>(M->payload), M->payloadlen));
            });
        FConnected = mosquitto_connect(FMosq, "127.0.0.1", Port, 10) == MOSQ_ERR_SUCCESS;
    }
    ~TTestClient() {
        if (FConnected) mosquitto_disconnect(FMosq);
        mosquitto_destroy(FMosq);
    }
    TTestClient(const TTestClient&) = delete;
    TTestClient& operator=(const TTestClient&) = delete;

    bool Connected() const { return FConnected; }

    void Publish(const char* Topic, const QByteArray& Payload, bool Retain = false) {
        mosquitto_publish(FMosq, nullptr, Topic, int(Payload.size()), Payload.constData(), 1,
                          Retain);
        Pump();
    }
    void Subscribe(const char* Topic) {
        mosquitto_subscribe(FMosq, nullptr, Topic, 1);
        Pump();
    }
    void Pump() { mosquitto_loop(FMosq, 0, 10); }

    std::vector<std::pair<std::string, QByteArray>> Received;

private:
    mosquitto* FMosq = nullptr;
    bool FConnected = false;
};

// Runs the event loop (and Also, say a client's pump) until Done holds or 3 s have passed.
inline bool WaitFor(const std::function<bool()>& Done, const std::function<void()>& Also = {}) {
    const QDeadlineTimer Deadline(3000);
    while (!Done()) {
        if (Deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (Also) Also();
        QThread::usleep(500);
    }
    return true;
}

}  // namespace scheme::testing
