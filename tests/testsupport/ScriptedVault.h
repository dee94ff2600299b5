#pragma once

#include "services/CredentialStore.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// An in-memory CredentialStore whose reads and writes can be made to fail per key.
class ScriptedVault : public vorno::CredentialStore
{
public:
    QMap<QString, QByteArray> entries;
    QSet<QString> failReads;
    QSet<QString> failWrites;
    QStringList writes; // keys written, in order ("-key" for a removal)

    std::optional<QByteArray> read(const QString &key) override;
    void write(const std::optional<QByteArray> &data, const QString &key) override;
};
