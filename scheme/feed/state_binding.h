#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "scheme/feed/export.h"

namespace scheme {

class TSchemeData;
class TSchemeObject;

// The property lines that bind an object's state to a topic.
inline constexpr QStringView kStateTopicKey = u"state.topic";
inline constexpr QStringView kStateFieldKey = u"state.field";
inline constexpr QStringView kStateMapKey = u"state.map";
inline constexpr QStringView kStateAckKey = u"state.ack";

// The longest payload read as a state; longer ones are refused unread.
inline constexpr qsizetype kMaxStatePayload = 4096;

// One object's binding, read from its property lines: the topic its state comes from, the JSON
// field that holds it (empty: the payload is the state itself), the texts that stand for
// states, and the topic acknowledgements of its alarms travel on.
struct SCHEME_FEED_EXPORT TStateBinding {
    TSchemeObject* Object = nullptr;
    int LayerId = 0;
    int ObjectId = 0;
    QString Topic;
    QString Field;
    std::vector<std::pair<QString, int>> Map;
    QString AckTopic;

    // The state a payload stands for, or nothing with the reason in Error: a decimal integer,
    // a text of the map, or (with a field) a JSON object whose field holds either. Whether the
    // layer has that state is the caller's question.
    std::optional<int> ParsePayload(QByteArrayView Payload, QString& Error) const;
    // The map as written in the binding ("OFF:0,ON:1").
    QString MapText() const;
};

// Every binding of the document, in drawing order, and the problems met reading them (each
// names its object): a key without a topic, a topic with wildcards, a malformed map, a map to
// a state the layer has no colour for. An object with a problem in its topic is left out.
struct SCHEME_FEED_EXPORT TBindingList {
    std::vector<TStateBinding> Bindings;
    QStringList Problems;
};

SCHEME_FEED_EXPORT TBindingList ReadBindings(TSchemeData& Data);

}  // namespace scheme
