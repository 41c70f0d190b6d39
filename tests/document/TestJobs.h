// Small helpers for building and loading jobs in tests.
#pragma once

#include "KlxPrnHolder.h"
#include "PrnJobBuilder.h"

#include <QStringList>

#include <memory>
#include <string>

struct Loaded {
    std::unique_ptr<KlxPrnHolder> holder;
    QStringList messages;
    KlxPrnHolder* operator->() const { return holder.get(); }
};

// Collects the parse-failure messages while it lives.
class CapturedMessages {
public:
    CapturedMessages() {
        previous_ = KlxPrnHolder::setParseFailureReporter(
            [this](const QString& text) { messages.append(text); });
    }
    ~CapturedMessages() { KlxPrnHolder::setParseFailureReporter(previous_); }
    QStringList messages;

private:
    KlxPrnHolder::ParseFailureReporter previous_;
};

inline Loaded loadBytes(const QByteArray& bytes) {
    CapturedMessages captured;
    Loaded loaded;
    loaded.holder = KlxPrnHolder::fromBytes(bytes);
    loaded.messages = captured.messages;
    return loaded;
}

// A job from a header text and a binary part, with a correct checksum.
inline QByteArray job(const std::string& header, const QByteArray& binary = {}) {
    return PrnJobBuilder::frame(QByteArray::fromStdString(header), binary);
}

inline QByteArray filled(int size, char value) {
    return QByteArray(size, value);
}
