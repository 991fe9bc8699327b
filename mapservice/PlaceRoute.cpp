#include "mapservice/PlaceRoute.h"

#include "mapservice/JsonAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnel {

namespace {

QByteArray RedrawJson(const MapPageContent& content) {
    QJsonArray others;
    for (const Candidate& other : content.others) {
        others.append(QJsonObject{{QStringLiteral("label"), other.label},
                                  {QStringLiteral("lat"), other.place.latitude},
                                  {QStringLiteral("lng"), other.place.longitude}});
    }
    const QJsonValue place = content.place
                                 ? QJsonObject{{QStringLiteral("lat"), content.place->latitude},
                                               {QStringLiteral("lng"), content.place->longitude}}
                                 : QJsonValue(QJsonValue::Null);
    const QJsonObject object{
        {QStringLiteral("query"), content.query},
        {QStringLiteral("heading"), PageHeading(content.query)},
        {QStringLiteral("place"), place},
        {QStringLiteral("label"), content.label},
        {QStringLiteral("source"), content.source},
        {QStringLiteral("others"), others},
        {QStringLiteral("message"), PageMessage(content)},
        {QStringLiteral("absence"), MessageTellsAbsence(content)},
        {QStringLiteral("viewport"),
         content.place ? ViewportArrangement(*content.place) : QString()},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

void ServePlace(httplib::Response& response, const MapPageContent& content) {
    SendJson(response, RedrawJson(content));
}

} // namespace tarnel
