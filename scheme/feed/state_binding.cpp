// Reading the bindings from the objects' property lines, and their payloads.
#include "scheme/feed/state_binding.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringDecoder>
#include <cmath>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/string_list.h"

namespace scheme {

namespace {

std::optional<int> ParseInt(QStringView Text) {
    bool Ok = false;
    const int Value = Text.trimmed().toInt(&Ok);
    return Ok ? std::optional<int>(Value) : std::nullopt;
}

QString Shown(QStringView Text) {
    constexpr qsizetype kShown = 40;
    return Text.size() <= kShown ? Text.toString()
                                 : Text.left(kShown).toString() + QStringLiteral("…");
}

bool HasWildcard(const QString& Topic) {
    return Topic.contains(u'+') || Topic.contains(u'#');
}

}  // namespace

std::optional<int> TStateBinding::ParsePayload(QByteArrayView Payload, QString& Error) const {
    if (Payload.size() > kMaxStatePayload) {
        Error = QStringLiteral("a payload of %1 bytes is too long").arg(Payload.size());
        return std::nullopt;
    }
    QStringDecoder Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString Text = Decoder.decode(Payload);
    if (Decoder.hasError()) {
        Error = QStringLiteral("the payload is not valid UTF-8");
        return std::nullopt;
    }
    QString Value = Text.trimmed();
    if (!Field.isEmpty()) {
        QJsonParseError Parse{};
        const QJsonDocument Json = QJsonDocument::fromJson(Payload.toByteArray(), &Parse);
        if (!Json.isObject()) {
            Error = QStringLiteral("the payload \"%1\" is not a JSON object").arg(Shown(Text));
            return std::nullopt;
        }
        const QJsonValue Found = Json.object().value(Field);
        if (Found.isDouble()) {
            const double D = Found.toDouble();
            if (D != std::floor(D) || std::abs(D) > 1e9) {
                Error = QStringLiteral("the field \"%1\" holds %2, not a state").arg(Field).arg(D);
                return std::nullopt;
            }
            return static_cast<int>(D);
        }
        if (!Found.isString()) {
            Error = QStringLiteral("the payload has no field \"%1\" with a state").arg(Field);
            return std::nullopt;
        }
        Value = Found.toString().trimmed();
    }
    for (const auto& [Name, State] : Map)
        if (Name == Value) return State;
    if (auto State = ParseInt(Value)) return State;
    Error = QStringLiteral("\"%1\" is not a state").arg(Shown(Value));
    return std::nullopt;
}

QString TStateBinding::MapText() const {
    QStringList Parts;
    for (const auto& [Name, State] : Map) Parts << Name + u':' + QString::number(State);
    return Parts.join(u',');
}

namespace {

// Reads one object's binding; answers whether it has a usable one.
bool ReadBinding(TSchemeObject& Obj, TStateBinding& B, QStringList& Problems) {
    const QStringList& Lines = Obj.Properties()->Lines();
    const bool Bound = IndexOfName(Lines, kStateTopicKey) >= 0;
    const QString Where = QStringLiteral("layer %1, object %2: ")
                              .arg(Obj.Layer() ? Obj.Layer()->ID() : -1)
                              .arg(Obj.Id());
    const QStringView Keys[] = {kStateTopicKey, kStateFieldKey, kStateMapKey, kStateAckKey};
    for (QStringView Key : Keys) {
        const int First = IndexOfName(Lines, Key);
        if (First < 0) continue;
        if (!Bound) {
            Problems << Where + Key.toString() + QStringLiteral(" without ") +
                            kStateTopicKey.toString();
        } else if (IndexOfName(Lines, Key, First + 1) >= 0) {
            Problems << Where + Key.toString() + QStringLiteral(" is given more than once");
        }
    }
    if (!Bound) return false;
    B.Object = &Obj;
    B.LayerId = Obj.Layer() ? Obj.Layer()->ID() : -1;
    B.ObjectId = Obj.Id();
    B.Topic = ValueOf(Lines, kStateTopicKey).trimmed();
    B.Field = ValueOf(Lines, kStateFieldKey).trimmed();
    B.AckTopic = ValueOf(Lines, kStateAckKey).trimmed();
    if (B.AckTopic.isEmpty() && !B.Topic.isEmpty()) B.AckTopic = B.Topic + QStringLiteral("/ack");
    for (const QString& Part : ValueOf(Lines, kStateMapKey).split(u',', Qt::SkipEmptyParts)) {
        const qsizetype Colon = Part.lastIndexOf(u':');
        const std::optional<int> State =
            Colon > 0 ? ParseInt(QStringView(Part).mid(Colon + 1)) : std::nullopt;
        if (!State) {
            Problems << Where + QStringLiteral("the map entry \"%1\" is not TEXT:STATE").arg(Part);
            continue;
        }
        if (Obj.Layer() && !Obj.Layer()->IsValidState(*State))
            Problems << Where + QStringLiteral(
                                    "the map sends \"%1\" to state %2, which the layer "
                                    "has no colour for")
                                    .arg(Part.left(Colon).trimmed())
                                    .arg(*State);
        B.Map.emplace_back(Part.left(Colon).trimmed(), *State);
    }
    bool Usable = true;
    for (const QString* Topic : {&B.Topic, &B.AckTopic}) {
        if (Topic->isEmpty()) {
            Problems << Where + QStringLiteral("the topic is empty");
            Usable = false;
        } else if (HasWildcard(*Topic)) {
            Problems << Where + QStringLiteral("the topic \"%1\" has wildcards").arg(*Topic);
            Usable = false;
        }
        if (!Usable) break;
    }
    return Usable;
}

}  // namespace

TBindingList ReadBindings(TSchemeData& Data) {
    TBindingList List;
    for (int L = 0; L < Data.LayerCount(); ++L) {
        TSchemeLayer* Layer = Data.GetLayerIndex(L);
        for (int I = 0; I < Layer->Count(); ++I) {
            TStateBinding B;
            if (ReadBinding(*Layer->GetItemIndex(I), B, List.Problems))
                List.Bindings.push_back(std::move(B));
        }
    }
    return List;
}

}  // namespace scheme
