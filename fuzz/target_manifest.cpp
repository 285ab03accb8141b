#include "fuzzsupport.h"
#include "fuzztargets.h"

#include "updater/updatemanifest.h"
#include "updater/updateverifier.h"

#include <QCryptographicHash>
#include <QHash>
#include <QStringList>

#include <openssl/evp.h>

#include <memory>

namespace {

constexpr int kSignatureSize = 64;
const QString kBaseUrl = QStringLiteral("http://updates.glimra.example/updates/linux/");

// The pair in tests/data/TEST-ONLY-update-signing.{key,pub}, as raw bytes.
const QByteArray kPublicKey = QByteArray::fromHex("b5f0aaca59085d121b5b70bfe69d6569bbd4f1920d31bfd1eea75eeb7a691148");
const QByteArray kPrivateSeed = QByteArray::fromHex("9607e7974bf933be61bec2a2fba0f8f278e235c5795bde8876589d674eb9ff16");

struct PkeyDeleter
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct MdCtxDeleter
{
    void operator()(EVP_MD_CTX *ctx) const { EVP_MD_CTX_free(ctx); }
};

QByteArray sign(const QByteArray &message)
{
    std::unique_ptr<EVP_PKEY, PkeyDeleter> key(EVP_PKEY_new_raw_private_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(kPrivateSeed.constData()), 32));
    std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
    QByteArray signature(kSignatureSize, '\0');
    size_t length = size_t(signature.size());
    FUZZ_CHECK(key && ctx && EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) == 1);
    FUZZ_CHECK(EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char *>(signature.data()), &length,
                              reinterpret_cast<const unsigned char *>(message.constData()),
                              size_t(message.size())) == 1);
    FUZZ_CHECK(length == size_t(kSignatureSize));
    return signature;
}

// As the update dialog turns the verified bytes into text.
QString decodeManifest(const QByteArray &body)
{
    const int nul = body.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? body : body.left(nul));
}

// Fixed local versions: the program 1.1.2.0, "n..." files without one, anything else 1.0.0.0.
bool readLocalVersion(const QString &fileName, int version[4])
{
    if (fileName.startsWith(QLatin1Char('n')))
        return false;
    const int program[4] = {1, 1, 2, 0};
    const int other[4] = {1, 0, 0, 0};
    const int *chosen = fileName == QLatin1String("Glimra") ? program : other;
    for (int i = 0; i < 4; ++i)
        version[i] = chosen[i];
    return true;
}

bool isBareFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

void checkSignatures(const QByteArray &manifest, const QByteArray &signature)
{
    const UpdateVerifier verifier(kPublicKey);
    FUZZ_CHECK(verifier.hasKey());
    // The attacker's pair of bytes: whatever the answer, it must come without a crash.
    verifier.verifySignature(manifest, signature);
    FUZZ_CHECK(!UpdateVerifier(QByteArray()).verifySignature(manifest, signature));
    FUZZ_CHECK(!UpdateVerifier(QByteArray(1, '\0')).verifySignature(manifest, signature));

    const QByteArray good = sign(manifest);
    FUZZ_CHECK(verifier.verifySignature(manifest, good));
    FUZZ_CHECK(!verifier.verifySignature(manifest, good.left(kSignatureSize - 1)));
    FUZZ_CHECK(!verifier.verifySignature(manifest + '\n', good));
    // One flipped bit, chosen by the input, breaks it.
    QByteArray flipped = good;
    const uint bit = qHash(manifest) % (kSignatureSize * 8);
    flipped[int(bit / 8)] = char(flipped.at(int(bit / 8)) ^ (1 << (bit % 8)));
    FUZZ_CHECK(!verifier.verifySignature(manifest, flipped));
}

void checkEntries(const UpdateManifest::Result &result, bool requireDigest, const QByteArray &payload)
{
    FUZZ_CHECK(result.updates.isEmpty() || result.hasVersions);
    FUZZ_CHECK(result.hasVersions || (result.currentVersion.isEmpty() && result.offeredVersion.isEmpty()));
    for (const UpdateEntry &entry : result.updates) {
        FUZZ_CHECK(isBareFileName(entry.fileName));
        FUZZ_CHECK(!entry.fileName.startsWith(QLatin1Char('n')));
        if (!requireDigest) {
            FUZZ_CHECK(entry.sha256.isEmpty() && entry.size == -1);
            continue;
        }
        FUZZ_CHECK(entry.sha256.size() == 32 && entry.size >= 0);
        // A download is accepted only with exactly the signed size and digest.
        const bool matches = UpdateVerifier::matchesDigest(payload, entry.sha256, entry.size);
        FUZZ_CHECK(matches == (payload.size() == entry.size &&
                               QCryptographicHash::hash(payload, QCryptographicHash::Sha256) == entry.sha256));
    }
}

void checkFieldParsers(const QString &field)
{
    const QByteArray sha = UpdateManifest::parseSha256(field);
    FUZZ_CHECK(sha.isEmpty() || (sha.size() == 32 && sha.toHex() == field.toLower().toLatin1()));

    const qint64 size = UpdateManifest::parseSize(field);
    FUZZ_CHECK(size >= -1);
    if (size >= 0) {
        QString digits = field;
        while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
            digits.remove(0, 1);
        FUZZ_CHECK(QString::number(size) == digits);
    }

    const int before[4] = {7, 7, 7, 7};
    int version[4] = {7, 7, 7, 7};
    const int pieces = field.split(QLatin1Char('.'), Qt::SkipEmptyParts).size();
    const bool applied = UpdateManifest::applyVersionText(field, version);
    FUZZ_CHECK(applied == (pieces <= 4));
    // Components the text does not give stay as they were.
    for (int i = applied ? pieces : 0; i < 4; ++i)
        FUZZ_CHECK(version[i] == before[i]);
    FUZZ_CHECK(!UpdateManifest::isNewer(version, version));
}

} // namespace

int fuzzUpdateManifest(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzBytes(data, size);
    const QByteArray signature = input.left(kSignatureSize);
    const QByteArray manifest = input.mid(kSignatureSize);
    checkSignatures(manifest, signature);

    const QString ini = decodeManifest(manifest);
    for (const bool requireDigest : {true, false})
        checkEntries(UpdateManifest::evaluate(ini, kBaseUrl, readLocalVersion, requireDigest), requireDigest,
                     signature);

    for (const QString &line : ini.split(QStringLiteral("\r\n"))) {
        for (const QString &field : line.split(QLatin1Char('=')))
            checkFieldParsers(field);
    }

    // A file's size and digest as the signing tool writes them select exactly that file.
    const QByteArray digest = QCryptographicHash::hash(manifest, QCryptographicHash::Sha256);
    FUZZ_CHECK(UpdateVerifier::matchesDigest(manifest, digest, manifest.size()));
    FUZZ_CHECK(!UpdateVerifier::matchesDigest(manifest, digest, manifest.size() + 1));
    FUZZ_CHECK(!UpdateVerifier::matchesDigest(manifest + 'x', digest, manifest.size() + 1));
    FUZZ_CHECK(!UpdateVerifier::matchesDigest(manifest, digest.left(31), manifest.size()));
    return 0;
}
