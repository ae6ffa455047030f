#include "Supports/Crypto/OpenSSLAsymmetricCipher.hpp"

#include "Supports/Crypto/OpenSSLSupport.hpp"
#include "core/AtomicFile.hpp"

#include <glib.h>
#include <openssl/bn.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <iostream>
#include <mutex>

namespace Dizezida::Dovodarud::Supports::Crypto {

using Contracts::Crypto::Bytes;
using Contracts::Crypto::ByteView;
using Contracts::Crypto::PemKeyPair;

namespace {

constexpr const char* k_text_domain = "dizezida";
constexpr int k_no_object = -1;

Core::Error rsa_error(int code, const char* message) {
    return crypto_error(code, g_dgettext(k_text_domain, message));
}

/// OpenSSL may copy from its input pointer even for zero bytes: never hand it null.
const unsigned char* input_of(ByteView data) {
    static const unsigned char nothing = 0;
    return data.empty() ? &nothing : data.data();
}

/// Refuses to read an encrypted key: no pass phrase is ever asked for (the
/// default would prompt on the terminal).
int no_pass_phrase(char*, int, int, void*) {
    return -1;
}

/// The text a memory BIO holds.
std::string bio_text(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

enum class Pem { Public, Private };

/// A key in PEM form; the private key's buffer is wiped when freed.
Core::Result<std::string> write_pem(EVP_PKEY* key, Pem which) {
    const char* failed =
        which == Pem::Private ? "Failed to write private key." : "Failed to write public key.";
    if (!key)
        return Core::fail(rsa_error(k_no_object, failed));
    BioHandle bio(BIO_new(which == Pem::Private ? BIO_s_secmem() : BIO_s_mem()));
    if (!bio)
        return Core::fail(rsa_error(k_no_object, failed));
    const int rc = which == Pem::Private ? PEM_write_bio_PrivateKey(bio.get(), key, nullptr,
                                                                    nullptr, 0, nullptr, nullptr)
                                         : PEM_write_bio_PUBKEY(bio.get(), key);
    if (rc != 1)
        return Core::fail(rsa_error(rc, failed));
    return bio_text(bio.get());
}

} // namespace

struct OpenSSLAsymmetricCipher::State {
    mutable std::mutex mutex;
    KeyHandle key;
    bool has_private = false;

    /// A reference of the caller's own to the current key (null when none).
    KeyHandle current() const {
        std::lock_guard lock(mutex);
        if (!key || EVP_PKEY_up_ref(key.get()) != 1)
            return nullptr;
        return KeyHandle(key.get());
    }
    void replace(KeyHandle next, bool with_private) {
        std::lock_guard lock(mutex);
        key = std::move(next);
        has_private = with_private;
    }
};

const Core::TypeInfo& OpenSSLAsymmetricCipher::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<OpenSSLAsymmetricCipher, Core::Object>(
            "DizezidaDovodarudSupportsCryptoOpenSSLAsymmetricCipher", {},
            {&Contracts::Crypto::IAsymmetricCipher::static_type()});
    return info;
}
DIZEZIDA_REGISTER_TYPE(OpenSSLAsymmetricCipher)

OpenSSLAsymmetricCipher::OpenSSLAsymmetricCipher() : m_state(std::make_unique<State>()) {}

OpenSSLAsymmetricCipher::~OpenSSLAsymmetricCipher() = default;

bool OpenSSLAsymmetricCipher::is_initialized() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->key != nullptr;
}

bool OpenSSLAsymmetricCipher::has_private_key() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->key && m_state->has_private;
}

Core::Result<void> OpenSSLAsymmetricCipher::initialize() {
    KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    if (!context)
        return Core::fail(rsa_error(k_no_object, "Failed to generate RSA key."));
    if (const int rc = EVP_PKEY_keygen_init(context.get()); rc <= 0)
        return Core::fail(rsa_error(rc, "Failed to generate RSA key."));
    std::unique_ptr<BIGNUM, OpenSSLFree<BN_free>> exponent(BN_new());
    if (!exponent)
        return Core::fail(rsa_error(k_no_object, "Failed to set bignum word."));
    if (const int rc = BN_set_word(exponent.get(), RSA_F4); rc != 1)
        return Core::fail(rsa_error(rc, "Failed to set bignum word."));
    if (const int rc = EVP_PKEY_CTX_set1_rsa_keygen_pubexp(context.get(), exponent.get()); rc <= 0)
        return Core::fail(rsa_error(rc, "Failed to set bignum word."));
    if (const int rc = EVP_PKEY_CTX_set_rsa_keygen_bits(context.get(), k_key_bits); rc <= 0)
        return Core::fail(rsa_error(rc, "Failed to generate RSA key."));
    EVP_PKEY* generated = nullptr;
    if (const int rc = EVP_PKEY_generate(context.get(), &generated); rc <= 0)
        return Core::fail(rsa_error(rc, "Failed to generate RSA key."));
    m_state->replace(KeyHandle(generated), true);
    return {};
}

Core::Result<void> OpenSSLAsymmetricCipher::load_public_key(const std::string& public_key_file) {
    BioHandle file(BIO_new_file(public_key_file.c_str(), "r"));
    KeyHandle key(file ? PEM_read_bio_PUBKEY(file.get(), nullptr, no_pass_phrase, nullptr)
                       : nullptr);
    if (!key)
        return Core::fail(rsa_error(k_no_object, "Failed to load public key."));
    m_state->replace(std::move(key), false);
    return {};
}

Core::Result<void> OpenSSLAsymmetricCipher::load_private_key(const std::string& private_key_file) {
    BioHandle file(BIO_new_file(private_key_file.c_str(), "r"));
    KeyHandle key(file ? PEM_read_bio_PrivateKey(file.get(), nullptr, no_pass_phrase, nullptr)
                       : nullptr);
    if (!key)
        return Core::fail(rsa_error(k_no_object, "Failed to load private key."));
    m_state->replace(std::move(key), true);
    return {};
}

Core::Result<PemKeyPair> OpenSSLAsymmetricCipher::save_key() {
    const KeyHandle key = m_state->current();
    auto private_pem = write_pem(key.get(), Pem::Private);
    if (!private_pem)
        return Core::fail(private_pem.error());
    auto public_pem = write_pem(key.get(), Pem::Public);
    if (!public_pem) {
        wipe(*private_pem);
        return Core::fail(public_pem.error());
    }
    return PemKeyPair{std::move(*public_pem), std::move(*private_pem)};
}

Core::Result<void> OpenSSLAsymmetricCipher::save_key_file(const std::string& public_key,
                                                          const std::string& private_key) {
    auto pair = save_key();
    if (!pair)
        return Core::fail(pair.error());
    // Both files are written in full before either replaces its target.
    auto private_file =
        Core::AtomicFile::create(private_key, 0600, Core::FilePrivacy::private_file);
    const bool private_written = private_file && private_file->write(pair->private_key);
    wipe(pair->private_key);
    if (!private_written)
        return Core::fail(rsa_error(k_no_object, "Failed to write private key."));
    auto public_file = Core::AtomicFile::create(public_key, 0644);
    if (!public_file || !public_file->write(pair->public_key))
        return Core::fail(rsa_error(k_no_object, "Failed to write public key."));
    if (!private_file->commit())
        return Core::fail(rsa_error(k_no_object, "Failed to write private key."));
    if (!public_file->commit())
        return Core::fail(rsa_error(k_no_object, "Failed to write public key."));
    return {};
}

namespace {

/// Encrypts or decrypts with RSA-OAEP; the messages name the direction.
Core::Result<Bytes> run_oaep(EVP_PKEY* key, ByteView input, bool encrypting) {
    KeyContext context(key ? EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr) : nullptr);
    if (!context)
        return Core::fail(rsa_error(k_no_object, "Failed to create public key context."));
    if (const int rc = encrypting ? EVP_PKEY_encrypt_init(context.get())
                                  : EVP_PKEY_decrypt_init(context.get());
        rc <= 0)
        return Core::fail(rsa_error(rc, encrypting ? "Failed to call encrypt_init method."
                                                   : "Failed to call decrypt_init method."));
    if (const int rc = EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_OAEP_PADDING); rc <= 0)
        return Core::fail(
            rsa_error(rc, encrypting ? "Failed to set encrypt parameter: PKCS1_OAEP_PADDING."
                                     : "Failed to set decrypt parameter: PKCS1_OAEP_PADDING."));
    const auto run = encrypting ? EVP_PKEY_encrypt : EVP_PKEY_decrypt;
    std::size_t size = 0;
    if (const int rc = run(context.get(), nullptr, &size, input_of(input), input.size()); rc <= 0)
        return Core::fail(rsa_error(rc, encrypting ? "Failed to get cipher data length."
                                                   : "Failed to get plain data length."));
    Bytes output(size);
    if (const int rc = run(context.get(), output.data(), &size, input_of(input), input.size());
        rc <= 0) {
        wipe(output);
        return Core::fail(
            rsa_error(rc, encrypting ? "Failed to encrypt data." : "Failed to decrypt data."));
    }
    output.resize(size);
    return output;
}

} // namespace

Core::Result<Bytes> OpenSSLAsymmetricCipher::encrypt(ByteView data) {
    return run_oaep(m_state->current().get(), data, true);
}

Core::Result<Bytes> OpenSSLAsymmetricCipher::decrypt(ByteView cipher) {
    return run_oaep(m_state->current().get(), cipher, false);
}

Core::Result<void> OpenSSLAsymmetricCipher::print_public(std::ostream& out) const {
    auto pem = write_pem(m_state->current().get(), Pem::Public);
    if (!pem)
        return Core::fail(pem.error());
    out << *pem << std::flush;
    return {};
}

Core::Result<void> OpenSSLAsymmetricCipher::print_public() const {
    return print_public(std::cout);
}

Core::Result<void> OpenSSLAsymmetricCipher::print_private(std::ostream& out) const {
    auto pem = write_pem(m_state->current().get(), Pem::Private);
    if (!pem)
        return Core::fail(pem.error());
    out << *pem << std::flush;
    wipe(*pem);
    return {};
}

Core::Result<void> OpenSSLAsymmetricCipher::print_private() const {
    return print_private(std::cout);
}

namespace {

/// A digest context set up for RSA-PSS with SHA-256 (salt as long as the digest).
Core::Result<DigestContext> pss_context(EVP_PKEY* key, bool signing) {
    const char* failed = signing ? "Failed to sign data." : "Failed to verify signature.";
    DigestContext context(EVP_MD_CTX_new());
    if (!key || !context)
        return Core::fail(rsa_error(k_no_object, failed));
    EVP_PKEY_CTX* key_context = nullptr; // owned by the digest context
    const int rc =
        signing ? EVP_DigestSignInit(context.get(), &key_context, EVP_sha256(), nullptr, key)
                : EVP_DigestVerifyInit(context.get(), &key_context, EVP_sha256(), nullptr, key);
    if (rc <= 0)
        return Core::fail(rsa_error(rc, failed));
    if (const int padding = EVP_PKEY_CTX_set_rsa_padding(key_context, RSA_PKCS1_PSS_PADDING);
        padding <= 0)
        return Core::fail(rsa_error(padding, failed));
    if (const int salt = EVP_PKEY_CTX_set_rsa_pss_saltlen(key_context, RSA_PSS_SALTLEN_DIGEST);
        salt <= 0)
        return Core::fail(rsa_error(salt, failed));
    return context;
}

} // namespace

Core::Result<Bytes> OpenSSLAsymmetricCipher::sign(ByteView data) const {
    const KeyHandle key = m_state->current();
    if (!has_private_key())
        return Core::fail(rsa_error(k_no_object, "Failed to sign data."));
    auto context = pss_context(key.get(), true);
    if (!context)
        return Core::fail(context.error());
    std::size_t size = 0;
    if (const int rc = EVP_DigestSign(context->get(), nullptr, &size, input_of(data), data.size());
        rc <= 0)
        return Core::fail(rsa_error(rc, "Failed to sign data."));
    Bytes signature(size);
    if (const int rc =
            EVP_DigestSign(context->get(), signature.data(), &size, input_of(data), data.size());
        rc <= 0)
        return Core::fail(rsa_error(rc, "Failed to sign data."));
    signature.resize(size);
    return signature;
}

Core::Result<bool> OpenSSLAsymmetricCipher::verify(ByteView data, ByteView signature) const {
    const KeyHandle key = m_state->current();
    auto context = pss_context(key.get(), false);
    if (!context)
        return Core::fail(context.error());
    const int rc = EVP_DigestVerify(context->get(), input_of(signature), signature.size(),
                                    input_of(data), data.size());
    ERR_clear_error();
    return rc == 1;
}

} // namespace Dizezida::Dovodarud::Supports::Crypto
