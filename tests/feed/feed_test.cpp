// The state feed against a real broker started by the tests, and the document's alarms.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>

#include "feed/test_broker.h"
#include "scheme/document/scheme_data.h"
#include "scheme/feed/state_binding.h"
#include "scheme/feed/state_feed.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/view/scheme_visual.h"

namespace scheme::testing {
namespace {

constexpr TColor kColors[] = {clWhite, clLime, clRed, clBlue};
constexpr int kAlarm = 2;

class FeedTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        mosquitto_lib_init();
        Broker = new TTestBroker;
        ASSERT_TRUE(Broker->Start())
            << "mosquitto did not start (scripts/install-deps.sh installs it)";
    }
    static void TearDownTestSuite() {
        delete Broker;
        Broker = nullptr;
        mosquitto_lib_cleanup();
    }

    void SetUp() override {
        if (!Broker->Running()) {
            ASSERT_TRUE(Broker->Start());
        }
        TSchemeLayer* Layer = Data.LayerAdd(1);
        Layer->SetAllStateColors(kColors);
        Layer->SetAlarmStates({kAlarm});
        View.SetColor(clWhite);
        View.SetSchemeData(&Data);
        View.resize(240, 120);
        View.show();
        Data.SetTimerInterval(0);
    }

    // A 20 × 20 box at (10 + 40 × Id, 10) bound by the property lines given.
    TSchemeObject* Bound(int Id, const QStringList& Lines) {
        TSchemeObject* Obj =
            Data.ObjectAddShapeExt(1, Id, 10 + 40 * Id, 10, 20, 20, 0, TShapeType::stRectangle);
        Obj->SetProperties(Lines);
        return Obj;
    }

    static QString Topic(int Id) { return QStringLiteral("test/obj%1").arg(Id); }
    TSchemeObject* Bound(int Id) { return Bound(Id, {QStringLiteral("state.topic=") + Topic(Id)}); }

    void StartFeed() {
        TBrokerSettings Settings;
        Settings.Port = Broker->Port();
        Feed.SetBroker(Settings);
        ASSERT_TRUE(Feed.Start());
        ASSERT_TRUE(WaitFor([&] { return Feed.State() == TFeedState::Connected; }));
        // The subscription is in place once a value published after it arrives.
        Client.Publish("test/probe", "0");
    }

    // Publishes and waits until the feed has taken the message, whatever it made of it.
    void Send(int Id, const QByteArray& Payload) {
        const qint64 Before = Feed.MessagesApplied() + Feed.MessagesIgnored();
        Client.Publish(Topic(Id).toUtf8().constData(), Payload);
        ASSERT_TRUE(WaitFor([&] {
            return Feed.MessagesApplied() + Feed.MessagesIgnored() > Before;
        })) << Payload.left(40).toStdString();
    }

    QRgb Pixel(const TSchemeObject* Obj) {
        const QImage Image = View.viewport()->grab().toImage();
        const TRect B = Obj->GetArea().AtZoom(1);
        return Image.pixel((B.Left + B.Right) / 2, (B.Top + B.Bottom) / 2) & 0xFFFFFF;
    }
    static QRgb Rgb(TColor C) { return ColorToQColor(C).rgb() & 0xFFFFFF; }

    static TTestBroker* Broker;
    TSchemeData Data;
    TSchemeVisual View;
    TStateFeed Feed{Data};
    TTestClient Client{Broker->Port()};
};

TTestBroker* FeedTest::Broker = nullptr;

TEST_F(FeedTest, StatesReachTheirObjectsAndTheViewsAndTheApplicationMayVeto) {
    TSchemeObject* A = Bound(0);
    TSchemeObject* B = Bound(1);
    TSchemeObject* Free = Data.ObjectAddShapeExt(1, 9, 200, 80, 20, 20, 0, TShapeType::stRectangle);
    Data.OnObjectStatusChange = [](TObject*, int, int Id, int, int& NewState, bool& Can) {
        if (Id == 1) Can = false;
        if (NewState == 3) NewState = 1;
    };
    StartFeed();
    EXPECT_TRUE(Data.ObjectStale(A));
    EXPECT_FALSE(Data.ObjectStale(Free));
    Send(0, "1");
    Send(1, "1");
    EXPECT_EQ(A->State(), 1);
    EXPECT_FALSE(Data.ObjectStale(A));
    EXPECT_EQ(Pixel(A), Rgb(clLime));
    EXPECT_EQ(B->State(), 0) << "vetoed";
    Send(0, " 3\n");
    EXPECT_EQ(A->State(), 1) << "replaced by the handler";
    EXPECT_EQ(Free->State(), 0);
    EXPECT_EQ(Feed.BindingCount(), 2);
    // The handler may stop the feed while the message it hears is still being read.
    Data.OnObjectStatusChange = [&](TObject*, int, int, int, int&, bool&) { Feed.Stop(); };
    Client.Publish(Topic(0).toUtf8().constData(), "2");
    ASSERT_TRUE(WaitFor([&] { return Feed.State() == TFeedState::Stopped; }));
    EXPECT_EQ(A->State(), 2);
    EXPECT_FALSE(Data.ObjectStale(A));
    StartFeed();
    EXPECT_EQ(Feed.State(), TFeedState::Connected) << "started anew";
}

TEST_F(FeedTest, JsonAndMappedPayloadsAreReadAndInvalidOnesChangeNothingButWarn) {
    TSchemeObject* Plain = Bound(0);
    TSchemeObject* Json = Bound(1, {QStringLiteral("state.topic=") + Topic(1), "state.field=value",
                                    "state.map=OFF:0,ON:1,FAULT:2"});
    TSchemeObject* Mapped =
        Bound(2, {QStringLiteral("state.topic=") + Topic(2), "state.map=OFF:0,ON:1"});
    StartFeed();
    Send(1, R"({"value": 3, "t": 1})");
    EXPECT_EQ(Json->State(), 3);
    Send(1, R"({"value": "FAULT"})");
    EXPECT_EQ(Json->State(), 2);
    Send(2, "ON");
    EXPECT_EQ(Mapped->State(), 1);
    Send(0, "1");
    const struct {
        int Id;
        QByteArray Payload;
    } Invalid[] = {{0, "4"},
                   {0, "-1"},
                   {0, "abc"},
                   {0, ""},
                   {0, QByteArray(1 << 20, '1')},
                   {0, "\xff\xfe"},
                   {1, "3"},
                   {1, R"({"other": 1})"},
                   {1, R"({"value": 1.5})"},
                   {2, "FAULTY"}};
    for (const auto& [Id, Payload] : Invalid) {
        const int Warnings = Feed.Warnings().size();
        Send(Id, Payload);
        EXPECT_EQ(Feed.Warnings().size(), Warnings + 1) << Payload.left(20).toStdString();
    }
    EXPECT_EQ(Plain->State(), 1);
    EXPECT_EQ(Json->State(), 2);
    EXPECT_EQ(Mapped->State(), 1);
    EXPECT_EQ(Feed.MessagesIgnored(), std::size(Invalid));
}

TEST_F(FeedTest, AfterTheBrokerRestartsTheFeedReconnectsAndResubscribesStaleMeanwhile) {
    TSchemeObject* A = Bound(0);
    StartFeed();
    Send(0, "1");
    const QRgb Fresh = Pixel(A);
    Broker->Stop();
    ASSERT_TRUE(WaitFor([&] { return Feed.State() == TFeedState::WaitingToReconnect; }));
    EXPECT_TRUE(Data.ObjectStale(A));
    EXPECT_NE(Pixel(A), Fresh);
    EXPECT_NE(Pixel(A), Rgb(clWhite)) << "stale is faded, not gone";
    ASSERT_TRUE(Broker->Start());
    ASSERT_TRUE(WaitFor([&] { return Feed.State() == TFeedState::Connected; }));
    TTestClient Again(Broker->Port());
    ASSERT_TRUE(WaitFor([&] {
        Again.Publish(Topic(0).toUtf8().constData(), "3");
        return A->State() == 3;
    }));
    EXPECT_FALSE(Data.ObjectStale(A));
    EXPECT_EQ(Pixel(A), Rgb(clBlue));
}

TEST_F(FeedTest, AlarmsBlinkInStepUntilAcknowledgedHereOrElsewhere) {
    TSchemeObject* A = Bound(0);
    TSchemeObject* B =
        Bound(1, {QStringLiteral("state.topic=") + Topic(1), "state.ack=test/acks/b"});
    TSchemeObject* Selected =
        Data.ObjectAddShapeExt(1, 5, 200, 80, 20, 20, 0, TShapeType::stRectangle);
    Selected->SetSelected(true);
    TTestClient Listener(Broker->Port());
    Listener.Subscribe("test/#");
    StartFeed();
    Send(0, "2");
    Send(1, "2");
    ASSERT_TRUE(Data.AlarmUnacknowledged(A));
    // Both phases of the one blink timer: the alarm and the selection flash together.
    Data.SetTimerInterval(15);
    for (bool Phase : {false, true, false}) {
        ASSERT_TRUE(WaitFor([&] { return Data.BlinkPhase() == Phase; }));
        EXPECT_EQ(Pixel(A), Rgb(Phase ? clRed : clWhite)) << Phase;
        EXPECT_EQ(Pixel(Selected), Rgb(Phase ? clBlue : clWhite)) << Phase;
    }
    EXPECT_TRUE(Data.AcknowledgeAlarm(A));
    EXPECT_FALSE(Data.AcknowledgeAlarm(A));
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const auto& [T, P] : Listener.Received)
                if (T == "test/obj0/ack" && P == "2") return true;
            return false;
        },
        [&] { Listener.Pump(); }));
    ASSERT_TRUE(WaitFor([&] { return !Data.BlinkPhase(); }));
    EXPECT_EQ(Pixel(A), Rgb(clRed)) << "steady in the off phase";
    Data.SetTimerInterval(0);
    Client.Publish("test/acks/b", "1");  // an earlier alarm's
    Client.Publish("test/acks/b", "2");
    ASSERT_TRUE(WaitFor([&] { return !Data.AlarmUnacknowledged(B); }));
    Send(1, "2");
    EXPECT_FALSE(Data.AlarmUnacknowledged(B)) << "the same alarm again";
    Send(0, "0");
    Send(0, "2");
    EXPECT_TRUE(Data.AlarmUnacknowledged(A)) << "a new alarm";
    Send(0, "1");
    EXPECT_FALSE(Data.AlarmUnacknowledged(A));
    const auto Acks = [&] {
        int Count = 0;
        for (const auto& Message : Listener.Received)
            Count += Message.first.find("ack") != std::string::npos;
        return Count;
    };
    EXPECT_TRUE(WaitFor([&] { return Acks() >= 3; }, [&] { Listener.Pump(); }));
    EXPECT_EQ(Acks(), 3) << "one acknowledgement published here, two sent by another client";
}

// Without a feed a bound document is what it always was, and its text is unchanged; alarm
// states are written only when a layer has some.
TEST(FeedDocumentTest, BindingsAndAlarmStatesKeepTheDocumentAsItWas) {
    TSchemeData Data;
    Data.LayerAdd(1)->SetAllStateColors(kColors);
    Data.ObjectAddShapeExt(1, 4, 0, 0, 10, 10, 1, TShapeType::stRectangle)
        ->SetProperties({"state.topic=a/b", "state.map=OFF:0,ON:1"});
    QStringList Saved;
    Data.SaveToStrings(Saved);
    EXPECT_FALSE(Saved.join('\n').contains("AlarmStates"));
    TSchemeData Read;
    QStringList Copy = Saved;
    Read.LoadFromStrings(Copy);
    EXPECT_TRUE(Read.LoadWarnings().isEmpty()) << Read.LoadWarnings().join('\n').toStdString();
    QStringList Again;
    Read.SaveToStrings(Again);
    EXPECT_EQ(Again, Saved);
    EXPECT_EQ(Read.GetLayer(1)->GetItem(4)->State(), 1);
    EXPECT_FALSE(Read.ObjectStale(Read.GetLayer(1)->GetItem(4)));

    Read.GetLayer(1)->SetAlarmStates({3, 1, 1});
    Again.clear();
    Read.SaveToStrings(Again);
    ASSERT_TRUE(Again.join('\n').contains("AlarmStates=1,3"));
    TSchemeData Alarmed;
    Alarmed.LoadFromStrings(Again);
    EXPECT_EQ(Alarmed.GetLayer(1)->AlarmStates(), (std::vector<int>{1, 3}));
    EXPECT_TRUE(Alarmed.LoadWarnings().isEmpty());
}

TEST(FeedDocumentTest, BindingProblemsNameTheirObject) {
    TSchemeData Data;
    Data.LayerAdd(1)->SetAllStateColors(kColors);
    const QStringList Lines[] = {{"state.topic=plant/a", "state.map=OFF:0,ON:1"},
                                 {"state.field=v"},
                                 {"state.topic=plant/+/a"},
                                 {"state.topic=plant/c", "state.map=ON,FAULT:9"},
                                 {"state.topic="},
                                 {"state.topic=x", "state.topic=y"}};
    for (int I = 0; I < int(std::size(Lines)); ++I)
        Data.ObjectAddShapeExt(1, I, 0, 0, 5, 5, 0, TShapeType::stRectangle)
            ->SetProperties(Lines[I]);
    const TBindingList List = ReadBindings(Data);
    ASSERT_EQ(List.Bindings.size(), 3u);
    EXPECT_EQ(List.Bindings[0].AckTopic, "plant/a/ack");
    EXPECT_EQ(List.Bindings[0].MapText(), "OFF:0,ON:1");
    EXPECT_EQ(List.Bindings[1].Topic, "plant/c");
    const QString Problems = List.Problems.join('\n');
    for (const char* Expected :
         {"object 1: state.field without state.topic",
          "object 2: the topic \"plant/+/a\" has wildcards", "object 3: the map entry \"ON\"",
          "state 9", "object 4: the topic is empty",
          "object 5: state.topic is given more than once"})
        EXPECT_TRUE(Problems.contains(QString::fromUtf8(Expected))) << Expected << "\n"
                                                                    << Problems.toStdString();
}

}  // namespace
}  // namespace scheme::testing
