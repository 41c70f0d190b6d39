#include "BlockOrderText.h"

namespace cli {

using Found = Orvane::RecognisedBlockOrder;

QString blockOrderText(const Found& found) {
    switch (found.evidence) {
    case Found::NoTracks:
        return QString();
    case Found::ReadCleanFirst:
        return QStringLiteral("tracks first (its tracks read cleanly there)");
    case Found::ReadCleanLast:
        return QStringLiteral("planes first (its tracks read cleanly only after the planes)");
    case Found::ReadCleanAtBoth:
        return QStringLiteral("tracks first (its tracks read cleanly at both places; tracks "
                              "first is the default)");
    case Found::ReadCleanAtNeither:
        return QStringLiteral("tracks first (its tracks read cleanly at neither place; tracks "
                              "first is the default)");
    }
    return QString();
}

QJsonValue blockOrderJson(const Found& found) {
    if (found.evidence == Found::NoTracks)
        return QJsonValue();
    return found.order == Orvane::BlockOrder::PlanesFirst ? QStringLiteral("planes-first")
                                                          : QStringLiteral("tracks-first");
}

QJsonValue blockOrderReasonJson(const Found& found) {
    switch (found.evidence) {
    case Found::NoTracks:
        break;
    case Found::ReadCleanFirst:
        return QStringLiteral("tracks-read-cleanly-first");
    case Found::ReadCleanLast:
        return QStringLiteral("tracks-read-cleanly-last");
    case Found::ReadCleanAtBoth:
        return QStringLiteral("tracks-read-cleanly-at-both");
    case Found::ReadCleanAtNeither:
        return QStringLiteral("tracks-read-cleanly-at-neither");
    }
    return QJsonValue();
}

} // namespace cli
