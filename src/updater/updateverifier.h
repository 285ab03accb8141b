#pragma once

#include <QByteArray>

// Checks signed update manifests (detached Ed25519 signatures) and the files they name.
// Without a key nothing is checked and callers fall back to unverified updates.
class UpdateVerifier
{
public:
    // The key built into the program: the 32 raw bytes behind GLIMRA_UPDATE_PUBKEY, empty when unset.
    // A malformed value gives a key that verifies nothing rather than no key at all.
    static QByteArray builtInKey();

    explicit UpdateVerifier(const QByteArray &publicKey = builtInKey());

    bool hasKey() const { return !m_key.isEmpty(); }
    // True when `signature` (64 raw bytes) signs exactly `message` under the key.
    bool verifySignature(const QByteArray &message, const QByteArray &signature) const;
    // True when `data` has the given size and raw SHA-256 digest.
    static bool matchesDigest(const QByteArray &data, const QByteArray &sha256, qint64 size);

private:
    QByteArray m_key;
};
