// How check and info name the block order a job with tracks was read in.
#pragma once

#include <prnformat/BlockOrderRecognition.h>

#include <QJsonValue>
#include <QString>

namespace cli {

// "planes first (its tracks read cleanly only there)"; empty for a job without tracks.
QString blockOrderText(const Orvane::RecognisedBlockOrder& found);
// "tracks-first" or "planes-first"; null for a job without tracks.
QJsonValue blockOrderJson(const Orvane::RecognisedBlockOrder& found);
// Why that order: "tracks-read-cleanly-first", "tracks-read-cleanly-last",
// "tracks-read-cleanly-at-both", "tracks-read-cleanly-at-neither"; null without tracks.
QJsonValue blockOrderReasonJson(const Orvane::RecognisedBlockOrder& found);

} // namespace cli
