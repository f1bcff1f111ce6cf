// The README's "Live diagrams" program: a document whose bound objects take their states from
// a broker, shown in a view.   live_example DOCUMENT HOST PORT
#include <QApplication>
#include <cstdlib>

#include "scheme/document/scheme_data.h"
#include "scheme/feed/state_feed.h"
#include "scheme/view/scheme_visual.h"

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    if (argc != 4) return 2;
    scheme::TSchemeData Data;
    Data.LoadFromFile(QString::fromLocal8Bit(argv[1]));
    scheme::TSchemeVisual View;
    View.SetSchemeData(&Data);
    View.show();
    scheme::TBrokerSettings Broker;  // never read from the document
    Broker.Host = QString::fromLocal8Bit(argv[2]);
    Broker.Port = std::atoi(argv[3]);
    scheme::TStateFeed Feed(Data);
    Feed.SetBroker(Broker);
    QObject::connect(&Feed, &scheme::TStateFeed::Warning,
                     [](const QString& Text) { qWarning("%s", qPrintable(Text)); });
    Feed.Start();
    return App.exec();
}
