// The feed's connection: libmosquitto driven from the event loop through its socket.
#include "scheme/feed/state_feed.h"

#include <mosquitto.h>

#include <QDeadlineTimer>
#include <QHash>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "scheme/document/scheme_data.h"
#include "scheme/feed/state_binding.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/error_handler.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

namespace {

// The library is set up while any feed exists, and cleaned up after the last one.
int LibraryUsers = 0;

void UseLibrary() {
    if (LibraryUsers++ == 0) mosquitto_lib_init();
}

void ReleaseLibrary() {
    if (--LibraryUsers == 0) mosquitto_lib_cleanup();
}

// Reading stops after this long so that the views repaint even under a flood of messages; the
// socket, still readable, brings the rest in the next turn of the event loop.
constexpr int kReadSliceMs = 8;
// Topics per SUBSCRIBE packet.
constexpr int kSubscribeBatch = 500;

QString ErrorText(int Rc) {
    if (Rc == MOSQ_ERR_ERRNO) return QString::fromLocal8Bit(strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(Rc));
}

}  // namespace

struct TStateFeed::TClient {
    TStateFeed& Feed;
    mosquitto* Mosq = nullptr;
    // Children of the feed, so that one whose deletion is deferred never outlives it.
    QPointer<QSocketNotifier> Reader;
    QPointer<QSocketNotifier> Writer;
    QTimer Misc;
    QTimer Retry;
    std::vector<TStateBinding> Bindings;
    // Topic -> bindings fed by it, and acknowledgement topic -> bindings acknowledged by it.
    QHash<QByteArray, std::vector<int>> StateTopics;
    QHash<QByteArray, std::vector<int>> AckTopics;
    bool AddressGiven = false;
    // Set while the library reads, and so calls back into the feed; a feed stopped then
    // leaves the client alone until the read returns.
    bool Reading = false;
    bool Dropped = false;

    explicit TClient(TStateFeed& F) : Feed(F) {
        UseLibrary();
        Misc.setInterval(1000);
        QObject::connect(&Misc, &QTimer::timeout, &Feed, [this] { RunMisc(); });
        Retry.setSingleShot(true);
        QObject::connect(&Retry, &QTimer::timeout, &Feed, [this] { Feed.Connect(); });
    }

    ~TClient() {
        DropSocket();
        if (Mosq) mosquitto_destroy(Mosq);
        ReleaseLibrary();
    }

    TClient(const TClient&) = delete;
    TClient& operator=(const TClient&) = delete;

    void Index() {
        StateTopics.clear();
        AckTopics.clear();
        for (int I = 0; I < static_cast<int>(Bindings.size()); ++I) {
            const TStateBinding& B = Bindings[static_cast<size_t>(I)];
            StateTopics[B.Topic.toUtf8()].push_back(I);
            TSchemeLayer* Layer = B.Object->Layer();
            if (Layer && !Layer->AlarmStates().empty()) AckTopics[B.AckTopic.toUtf8()].push_back(I);
        }
    }

    void WatchSocket() {
        DropSocket();
        const int Socket = mosquitto_socket(Mosq);
        if (Socket < 0) return;
        Reader = new QSocketNotifier(Socket, QSocketNotifier::Read, &Feed);
        QObject::connect(Reader, &QSocketNotifier::activated, &Feed, [this] { Read(); });
        Writer = new QSocketNotifier(Socket, QSocketNotifier::Write, &Feed);
        QObject::connect(Writer, &QSocketNotifier::activated, &Feed, [this] { Write(); });
        UpdateWriter();
        Misc.start();
    }

    // The notifiers go before the library closes the socket they watch; one that is running
    // its own slot is deleted once that returns.
    void DropSocket() {
        Misc.stop();
        for (QSocketNotifier* N : {Reader.data(), Writer.data()}) {
            if (!N) continue;
            N->setEnabled(false);
            N->disconnect();
            N->deleteLater();
        }
        Reader = nullptr;
        Writer = nullptr;
    }

    void UpdateWriter() {
        const bool Want = mosquitto_want_write(Mosq);
        if (Writer && Writer->isEnabled() != Want) Writer->setEnabled(Want);
    }

    // The library reads one packet a call and tells that the socket ran dry only through
    // errno; reading goes on until then or until the slice is over.
    void Read() {
        const QDeadlineTimer Slice(kReadSliceMs);
        int Rc = MOSQ_ERR_SUCCESS;
        Reading = true;
        do {
            errno = 0;
            Rc = mosquitto_loop_read(Mosq, 1);
            if (Dropped) return;
            if (Rc != MOSQ_ERR_SUCCESS || errno == EAGAIN || errno == EWOULDBLOCK) break;
        } while (!Slice.hasExpired());
        Reading = false;
        Checked(Rc);
    }

    void Write() { Checked(mosquitto_loop_write(Mosq, 1)); }

    void Close(bool Connected) {
        if (!Connected) return;
        mosquitto_disconnect(Mosq);
        mosquitto_loop_write(Mosq, 1);
    }

    void RunMisc() { Checked(mosquitto_loop_misc(Mosq)); }

    void Checked(int Rc) {
        if (Rc == MOSQ_ERR_SUCCESS) {
            UpdateWriter();
            return;
        }
        Feed.ConnectionLost(ErrorText(Rc));
    }

    static void OnConnect(mosquitto*, void* Self, int Rc) {
        auto* Feed = static_cast<TStateFeed*>(Self);
        RunGuarded([&] {
            if (Rc != 0) {
                Feed->AddWarning(QStringLiteral("the broker refused the connection: %1")
                                     .arg(QString::fromUtf8(mosquitto_connack_string(Rc))));
                return;
            }
            Feed->FRetryMs = kFirstRetryMs;
            Feed->Subscribe();
            Feed->SetState(TFeedState::Connected);
        });
    }

    static void OnMessage(mosquitto*, void* Self, const mosquitto_message* M) {
        auto* Feed = static_cast<TStateFeed*>(Self);
        RunGuarded([&] { Feed->Message(M->topic, M->payload, M->payloadlen); });
    }
};

TStateFeed::TStateFeed(TSchemeData& Data, QObject* Parent) : QObject(Parent), FData(&Data) {
    connect(&Data, &TSchemeData::AlarmAcknowledged, this, &TStateFeed::Acknowledged);
}

// Owners being destroyed hear nothing more from the feed.
TStateFeed::~TStateFeed() {
    blockSignals(true);
    Stop();
}

bool TStateFeed::Start() {
    Stop();
    if (!FData) return false;
    FClient = std::make_unique<TClient>(*this);
    const QByteArray Id = FBroker.ClientId.toUtf8();
    FClient->Mosq = mosquitto_new(Id.isEmpty() ? nullptr : Id.constData(), true, this);
    mosquitto* M = FClient->Mosq;
    if (!M) {
        AddWarning(QStringLiteral("the MQTT client could not be created"));
        FClient.reset();
        return false;
    }
    mosquitto_int_option(M, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(M, &TClient::OnConnect);
    mosquitto_message_callback_set(M, &TClient::OnMessage);
    if (!FBroker.User.isEmpty())
        mosquitto_username_pw_set(
            M, FBroker.User.toUtf8().constData(),
            FBroker.Password.isEmpty() ? nullptr : FBroker.Password.toUtf8().constData());
    if (FBroker.Tls) {
        const QByteArray Ca = FBroker.CaFile.toLocal8Bit();
        const int Rc =
            mosquitto_tls_set(M, Ca.isEmpty() ? nullptr : Ca.constData(),
                              Ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
        if (Rc != MOSQ_ERR_SUCCESS) {
            AddWarning(QStringLiteral("TLS could not be set up: %1").arg(ErrorText(Rc)));
            FClient.reset();
            return false;
        }
    }
    Rebind();
    Connect();
    return true;
}

void TStateFeed::Stop() {
    if (!FClient) return;
    const bool Connected = FState == TFeedState::Connected;
    MarkAllStale(false);
    if (FClient->Reading) {
        // Stopped by a handler of a message the library is still reading, which holds the
        // library's locks: the client says goodbye and goes once the read has returned.
        FClient->Dropped = true;
        FClient->DropSocket();
        QTimer::singleShot(0, [Client = FClient.release(), Connected] {
            Client->Close(Connected);
            delete Client;
        });
    } else {
        FClient->Close(Connected);
        FClient.reset();
    }
    SetState(TFeedState::Stopped);
}

void TStateFeed::Rebind() {
    if (!FClient || !FData) return;
    const bool Connected = FState == TFeedState::Connected;
    MarkAllStale(false);
    TBindingList List = ReadBindings(*FData);
    FBindingProblems = List.Problems;
    FClient->Bindings = std::move(List.Bindings);
    FClient->Index();
    MarkAllStale(true);
    if (Connected) Subscribe();
}

int TStateFeed::BindingCount() const {
    return FClient ? static_cast<int>(FClient->Bindings.size()) : 0;
}

QString TStateFeed::StateText() const {
    const QString Where = QStringLiteral("%1:%2").arg(FBroker.Host).arg(FBroker.Port);
    switch (FState) {
        case TFeedState::Stopped:
            return QStringLiteral("not connected");
        case TFeedState::Connecting:
            return QStringLiteral("connecting to %1").arg(Where);
        case TFeedState::Connected:
            return QStringLiteral("connected to %1").arg(Where);
        case TFeedState::WaitingToReconnect:
            return QStringLiteral("%1 unreachable, retrying").arg(Where);
    }
    return {};
}

void TStateFeed::SetState(TFeedState Value) {
    if (Value == FState) return;
    FState = Value;
    emit StateChanged(Value);
}

void TStateFeed::AddWarning(const QString& Text) {
    FWarnings << Text;
    if (FWarnings.size() > kMaxWarnings) FWarnings.removeFirst();
    emit Warning(Text);
}

void TStateFeed::Connect() {
    if (!FClient) return;
    SetState(TFeedState::Connecting);
    // The first attempt gives the library the address; later ones reuse it.
    const bool First = !std::exchange(FClient->AddressGiven, true);
    const int Rc = First ? mosquitto_connect_async(FClient->Mosq, FBroker.Host.toUtf8().constData(),
                                                   FBroker.Port, FBroker.KeepAliveSeconds)
                         : mosquitto_reconnect_async(FClient->Mosq);
    if (Rc != MOSQ_ERR_SUCCESS && Rc != MOSQ_ERR_CONN_PENDING) {
        ConnectionLost(ErrorText(Rc));
        return;
    }
    FClient->WatchSocket();
}

void TStateFeed::ConnectionLost(const QString& Why) {
    if (!FClient) return;
    FClient->DropSocket();
    if (FState != TFeedState::WaitingToReconnect)
        AddWarning(QStringLiteral("connection to %1:%2 lost: %3")
                       .arg(FBroker.Host)
                       .arg(FBroker.Port)
                       .arg(Why));
    MarkAllStale(true);
    SetState(TFeedState::WaitingToReconnect);
    ScheduleReconnect();
}

void TStateFeed::ScheduleReconnect() {
    FClient->Retry.start(FRetryMs);
    FRetryMs = std::min(FRetryMs * 2, kLastRetryMs);
}

void TStateFeed::Subscribe() {
    std::vector<QByteArray> Topics;
    for (auto It = FClient->StateTopics.cbegin(); It != FClient->StateTopics.cend(); ++It)
        Topics.push_back(It.key());
    for (auto It = FClient->AckTopics.cbegin(); It != FClient->AckTopics.cend(); ++It)
        if (!FClient->StateTopics.contains(It.key())) Topics.push_back(It.key());
    for (size_t From = 0; From < Topics.size(); From += kSubscribeBatch) {
        std::vector<char*> Batch;
        for (size_t I = From; I < std::min(Topics.size(), From + kSubscribeBatch); ++I)
            Batch.push_back(Topics[I].data());
        const int Rc = mosquitto_subscribe_multiple(
            FClient->Mosq, nullptr, static_cast<int>(Batch.size()), Batch.data(), 0, 0, nullptr);
        if (Rc != MOSQ_ERR_SUCCESS)
            AddWarning(QStringLiteral("subscribing failed: %1").arg(ErrorText(Rc)));
    }
}

void TStateFeed::MarkAllStale(bool Stale) {
    if (!FClient || !FData) return;
    for (int I = 0; I < static_cast<int>(FClient->Bindings.size()); ++I)
        if (TSchemeObject* Obj = Live(I)) FData->SetObjectStale(Obj, Stale);
}

// The bound object when it is still in the document with the same layer and Id; bindings are
// read once, and the document may have changed since.
TSchemeObject* TStateFeed::Live(int Binding) const {
    const TStateBinding& B = FClient->Bindings[static_cast<size_t>(Binding)];
    if (!FData || !FData->LayerExists(B.LayerId)) return nullptr;
    try {
        TSchemeObject* Obj = FData->GetLayer(B.LayerId)->GetItem(B.ObjectId);
        return Obj == B.Object ? Obj : nullptr;
    } catch (const Exception&) {
        return nullptr;
    }
}

void TStateFeed::Message(const char* Topic, const void* Payload, int Length) {
    TClient* const Client = FClient.get();
    if (!Client || !FData) return;
    // Handlers called below may stop or restart the feed; reading ends then.
    const auto Current = [&] { return FClient.get() == Client && FData; };
    const QByteArray Key = QByteArray::fromRawData(Topic, qsizetype(strlen(Topic)));
    const QByteArrayView Bytes(static_cast<const char*>(Payload), Length);
    if (auto It = Client->StateTopics.constFind(Key); It != Client->StateTopics.cend()) {
        for (int I : *It) {
            TSchemeObject* Obj = Live(I);
            if (!Obj) continue;
            const TStateBinding& B = FClient->Bindings[static_cast<size_t>(I)];
            QString Error;
            std::optional<int> State = B.ParsePayload(Bytes, Error);
            if (State && !Obj->Layer()->IsValidState(*State)) {
                Error =
                    QStringLiteral("state %1 has no colour in layer %2").arg(*State).arg(B.LayerId);
                State.reset();
            }
            if (!State) {
                ++FIgnored;
                AddWarning(QStringLiteral("%1: ignored for object %2 of layer %3: %4")
                               .arg(B.Topic)
                               .arg(B.ObjectId)
                               .arg(B.LayerId)
                               .arg(Error));
                continue;
            }
            ++FApplied;
            FData->SetObjectStateDirect(Obj, *State);
            if (!Current()) return;
            FData->SetObjectStale(Obj, false);
            if (OnStateMessage) OnStateMessage(Obj, QByteArray(Bytes.data(), Bytes.size()));
            if (!Current()) return;
        }
    }
    if (auto It = Client->AckTopics.constFind(Key); It != Client->AckTopics.cend()) {
        for (int I : *It) {
            TSchemeObject* Obj = Live(I);
            if (!Obj) continue;
            // An acknowledgement names the state it acknowledges; one of an earlier alarm
            // leaves a later one alone.
            const QByteArray Text = Bytes.toByteArray().trimmed();
            bool Ok = false;
            const int State = Text.toInt(&Ok);
            if (!Text.isEmpty() && (!Ok || State != Obj->State())) continue;
            FRemoteAck = true;
            FData->AcknowledgeAlarm(Obj);
            FRemoteAck = false;
            if (!Current()) return;
        }
    }
}

void TStateFeed::Acknowledged(TSchemeObject* Object) {
    if (FRemoteAck || !FClient) return;
    for (const TStateBinding& B : FClient->Bindings) {
        if (B.Object != Object) continue;
        if (FState != TFeedState::Connected) {
            AddWarning(QStringLiteral("%1: acknowledged here only, the broker is not connected")
                           .arg(B.AckTopic));
            return;
        }
        const QByteArray Topic = B.AckTopic.toUtf8();
        const QByteArray Payload = QByteArray::number(Object->State());
        const int Rc =
            mosquitto_publish(FClient->Mosq, nullptr, Topic.constData(),
                              static_cast<int>(Payload.size()), Payload.constData(), 1, false);
        if (Rc != MOSQ_ERR_SUCCESS)
            AddWarning(QStringLiteral("%1: acknowledgement not published: %2")
                           .arg(B.AckTopic, ErrorText(Rc)));
        FClient->UpdateWriter();
        return;
    }
}

}  // namespace scheme
