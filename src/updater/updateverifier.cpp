#include "updateverifier.h"

#include "buildconfig.h"

#include <QCryptographicHash>
#include <QtDebug>

#include <openssl/evp.h>

#include <memory>

namespace {

constexpr int kKeySize = 32;
constexpr int kSignatureSize = 64;

struct PkeyDeleter
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct MdCtxDeleter
{
    void operator()(EVP_MD_CTX *ctx) const { EVP_MD_CTX_free(ctx); }
};

} // namespace

QByteArray UpdateVerifier::builtInKey()
{
    const QByteArray hex = QByteArray(GLIMRA_UPDATE_PUBKEY).trimmed();
    if (hex.isEmpty())
        return QByteArray();
    const QByteArray raw = QByteArray::fromHex(hex);
    if (hex.size() != 2 * kKeySize || raw.size() != kKeySize || raw.toHex() != hex.toLower()) {
        qWarning() << "GLIMRA_UPDATE_PUBKEY is not 64 hex digits; no update will verify";
        return QByteArray(1, '\0');
    }
    return raw;
}

UpdateVerifier::UpdateVerifier(const QByteArray &publicKey) : m_key(publicKey) {}

bool UpdateVerifier::verifySignature(const QByteArray &message, const QByteArray &signature) const
{
    if (m_key.size() != kKeySize || signature.size() != kSignatureSize)
        return false;
    std::unique_ptr<EVP_PKEY, PkeyDeleter> key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(m_key.constData()), kKeySize));
    std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    if (!key || !ctx)
        return false;
    // Ed25519 hashes internally, so no digest is named.
    if (EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char *>(signature.constData()),
                            size_t(signature.size()), reinterpret_cast<const unsigned char *>(message.constData()),
                            size_t(message.size())) == 1;
}

bool UpdateVerifier::matchesDigest(const QByteArray &data, const QByteArray &sha256, qint64 size)
{
    if (size < 0 || data.size() != size || sha256.size() != 32)
        return false;
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256) == sha256;
}
