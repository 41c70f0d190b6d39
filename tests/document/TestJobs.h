// Small helpers for building and loading jobs in tests.
#pragma once

#include <kalyxdocument/KlxPrnHolder.h>
#include <kalyxdocument/PrnJobBuilder.h>

#include <QStringList>

#include <memory>
#include <string>

struct Loaded {
    std::unique_ptr<KlxPrnHolder> holder;
    QStringList messages;
    KlxPrnHolder* operator->() const { return holder.get(); }
};

inline Loaded loadBytes(const QByteArray& bytes) {
    Loaded loaded;
    loaded.holder = KlxPrnHolder::fromBytes(bytes);
    loaded.messages = loaded.holder->messages();
    return loaded;
}

// A job from a header text and a binary part, with a correct checksum.
inline QByteArray job(const std::string& header, const QByteArray& binary = {}) {
    return PrnJobBuilder::frame(QByteArray::fromStdString(header), binary);
}

inline QByteArray filled(int size, char value) {
    return QByteArray(size, value);
}
