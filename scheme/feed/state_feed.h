#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "scheme/feed/export.h"

namespace scheme {

class TSchemeData;
class TSchemeObject;

// Where and how to reach the broker: the application's or the user's setting, never a
// document's.
struct SCHEME_FEED_EXPORT TBrokerSettings {
    QString Host = QStringLiteral("127.0.0.1");
    int Port = 1883;
    // Empty: the library picks one.
    QString ClientId;
    QString User;
    QString Password;
    bool Tls = false;
    // With TLS: the certificate authorities to trust (empty: the system's).
    QString CaFile;
    int KeepAliveSeconds = 30;
};

enum class TFeedState { Stopped, Connecting, Connected, WaitingToReconnect };

// Feeds a document's object states from an MQTT broker. It reads the bindings in the objects'
// property lines (state.topic, state.field, state.map, state.ack), subscribes to their topics
// and sets each state through the document's state operation, so OnObjectStatusChange may
// veto it and the views repaint just that object. Payloads that are no state of the object's
// layer are ignored with a warning. While no value is known (before the first one arrives,
// and while the broker is away) the bound objects look stale. The connection is driven by the
// event loop of the thread that owns the feed; nothing runs in a thread of its own. When the
// broker goes away it reconnects with a growing delay and subscribes again.
//
// Nothing is published except acknowledgements of alarms made on this document
// (TSchemeData::AcknowledgeAlarm), on the object's acknowledgement topic; an acknowledgement
// that arrives there acknowledges the alarm here.
class SCHEME_FEED_EXPORT TStateFeed : public QObject {
    Q_OBJECT

public:
    // Kept warnings: the latest ones.
    static constexpr int kMaxWarnings = 100;
    // The delays between reconnection attempts grow from the first to the last.
    static constexpr int kFirstRetryMs = 100;
    static constexpr int kLastRetryMs = 5000;

    explicit TStateFeed(TSchemeData& Data, QObject* Parent = nullptr);
    ~TStateFeed() override;
    TStateFeed(const TStateFeed&) = delete;
    TStateFeed& operator=(const TStateFeed&) = delete;

    const TBrokerSettings& Broker() const { return FBroker; }
    void SetBroker(const TBrokerSettings& Value) { FBroker = Value; }

    // Reads the bindings, marks the bound objects stale and connects; a running feed starts
    // anew. Answers false (with a warning) when the client cannot even be set up.
    bool Start();
    // Disconnects; the objects no longer look stale.
    void Stop();
    // Reads the bindings again (after the document changed) and subscribes to new topics.
    void Rebind();

    TFeedState State() const { return FState; }
    // "connected to HOST:PORT", "connecting to …", …
    QString StateText() const;
    int BindingCount() const;
    // The problems of the bindings read last.
    const QStringList& BindingProblems() const { return FBindingProblems; }
    const QStringList& Warnings() const { return FWarnings; }
    // Messages that set a state (or were vetoed), and those ignored.
    qint64 MessagesApplied() const { return FApplied; }
    qint64 MessagesIgnored() const { return FIgnored; }

    // Called for every message that set an object's state, after it was set.
    std::function<void(TSchemeObject* Object, const QByteArray& Payload)> OnStateMessage;

signals:
    void StateChanged(scheme::TFeedState State);
    void Warning(const QString& Text);

private:
    struct TClient;
    friend struct TClient;
    void SetState(TFeedState Value);
    void AddWarning(const QString& Text);
    void Connect();
    void ConnectionLost(const QString& Why);
    void ScheduleReconnect();
    void Subscribe();
    void MarkAllStale(bool Stale);
    void Message(const char* Topic, const void* Payload, int Length);
    void Acknowledged(TSchemeObject* Object);
    TSchemeObject* Live(int Binding) const;

    QPointer<TSchemeData> FData;
    TBrokerSettings FBroker;
    TFeedState FState = TFeedState::Stopped;
    std::unique_ptr<TClient> FClient;
    QStringList FBindingProblems;
    QStringList FWarnings;
    qint64 FApplied = 0;
    qint64 FIgnored = 0;
    int FRetryMs = kFirstRetryMs;
    bool FRemoteAck = false;
};

}  // namespace scheme
