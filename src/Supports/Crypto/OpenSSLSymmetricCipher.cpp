#include "Supports/Crypto/OpenSSLSymmetricCipher.hpp"

#include "Supports/Crypto/OpenSSLSupport.hpp"

#include <openssl/rand.h>

#include <climits>
#include <cstring>

namespace Dizezida::Dovodarud::Supports::Crypto {

using Contracts::Crypto::Bytes;
using Contracts::Crypto::ByteView;

namespace {

constexpr int k_block_size = 16;

Core::Error cipher_error(const char* message) {
    return crypto_error(OpenSSLSymmetricCipher::k_error_code, message);
}

/// PBKDF2-HMAC-SHA256 over the pass phrase, a zero byte and the salt text.
bool derive_seal_key(const std::string& passphrase, const std::string& salt_text,
                     const unsigned char* salt, unsigned char* key) {
    std::string material;
    material.reserve(passphrase.size() + 1 + salt_text.size());
    material.append(passphrase).push_back('\0');
    material.append(salt_text);
    const int done = PKCS5_PBKDF2_HMAC(material.data(), static_cast<int>(material.size()), salt,
                                       OpenSSLSymmetricCipher::k_seal_salt_size,
                                       OpenSSLSymmetricCipher::k_seal_iterations, EVP_sha256(),
                                       OpenSSLSymmetricCipher::k_key_size, key);
    wipe(material);
    return done == 1;
}

/// An AES-256-GCM context keyed from the pass phrase and salt text with the
/// random salt, for the nonce.
Core::Result<CipherContext> gcm_context(const std::string& passphrase, const std::string& salt_text,
                                        const unsigned char* salt, const unsigned char* nonce,
                                        bool encrypting) {
    SecretArray<OpenSSLSymmetricCipher::k_key_size> key;
    if (!derive_seal_key(passphrase, salt_text, salt, key.data()))
        return Core::fail(cipher_error("Failed to generate Cipher key and iv"));
    CipherContext context(EVP_CIPHER_CTX_new());
    const int enc = encrypting ? 1 : 0;
    if (!context ||
        EVP_CipherInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, enc) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN,
                            OpenSSLSymmetricCipher::k_seal_nonce_size, nullptr) != 1 ||
        EVP_CipherInit_ex(context.get(), nullptr, nullptr, key.data(), nonce, enc) != 1)
        return Core::fail(cipher_error(encrypting ? "Failed to initialize encrypt function"
                                                  : "Failed to initialize decrypt function"));
    return context;
}

} // namespace

struct OpenSSLSymmetricCipher::Snapshot {
    SecretArray<k_key_size> key;
    SecretArray<k_iv_size> iv;
    std::string passphrase;
    std::string salt;
    Snapshot() = default;
    Snapshot(Snapshot&& other) noexcept
        : key(other.key), iv(other.iv), passphrase(std::move(other.passphrase)),
          salt(std::move(other.salt)) {}
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot() {
        wipe(passphrase);
        wipe(salt);
    }
};

const Core::TypeInfo& OpenSSLSymmetricCipher::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<OpenSSLSymmetricCipher, Core::Object>(
            "DizezidaDovodarudSupportsCryptoOpenSSLSymmetricCipher", {},
            {&Contracts::Crypto::ISymmetricCipher::static_type()});
    return info;
}
DIZEZIDA_REGISTER_TYPE(OpenSSLSymmetricCipher)

OpenSSLSymmetricCipher::~OpenSSLSymmetricCipher() {
    wipe(m_passphrase);
    wipe(m_salt);
    OPENSSL_cleanse(m_key.data(), m_key.size());
    OPENSSL_cleanse(m_iv.data(), m_iv.size());
}

bool OpenSSLSymmetricCipher::is_initialized() const {
    std::lock_guard lock(m_mutex);
    return m_initialized;
}

Core::Result<void> OpenSSLSymmetricCipher::initialize(std::string_view key, std::string_view salt) {
    // The salt is always 8 bytes: a shorter text is padded with zero bytes
    // (reading 8 bytes of a short text would take whatever follows it).
    unsigned char salt_bytes[k_salt_size] = {};
    std::memcpy(salt_bytes, salt.data(), std::min(salt.size(), k_salt_size));
    SecretArray<k_key_size> new_key;
    SecretArray<k_iv_size> new_iv;
    // EVP_BytesToKey derives nothing from a null pointer, so an empty pass
    // phrase is given as an empty text.
    const auto* data = reinterpret_cast<const unsigned char*>(key.empty() ? "" : key.data());
    if (key.size() > INT_MAX || EVP_BytesToKey(EVP_aes_256_cbc(), EVP_sha1(), salt_bytes, data,
                                               static_cast<int>(key.size()), 2, new_key.data(),
                                               new_iv.data()) != static_cast<int>(k_key_size))
        return Core::fail(cipher_error("Failed to generate Cipher key and iv"));

    std::lock_guard lock(m_mutex);
    wipe(m_passphrase);
    wipe(m_salt);
    m_passphrase.assign(key);
    m_salt.assign(salt);
    std::copy(new_key.bytes, new_key.bytes + k_key_size, m_key.begin());
    std::copy(new_iv.bytes, new_iv.bytes + k_iv_size, m_iv.begin());
    m_initialized = true;
    return {};
}

Core::Result<OpenSSLSymmetricCipher::Snapshot> OpenSSLSymmetricCipher::snapshot() const {
    std::lock_guard lock(m_mutex);
    if (!m_initialized)
        return Core::fail(cipher_error("Cipher is not initialized"));
    Snapshot copy;
    std::copy(m_key.begin(), m_key.end(), copy.key.bytes);
    std::copy(m_iv.begin(), m_iv.end(), copy.iv.bytes);
    copy.passphrase = m_passphrase;
    copy.salt = m_salt;
    return copy;
}

Core::Result<Bytes> OpenSSLSymmetricCipher::run_cbc(ByteView input, bool encrypting) const {
    auto state = snapshot();
    if (!state)
        return Core::fail(state.error());
    const char* init_failed = encrypting ? "Failed to initialize encrypt function"
                                         : "Failed to initialize decrypt function";
    const char* update_failed = encrypting ? "Failed to encrypt data" : "Failed to decrypt data";
    const char* final_failed =
        encrypting ? "Failed to encrypt data finally" : "Failed to decrypt data finally";

    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context || EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, state->key.data(),
                                      state->iv.data(), encrypting ? 1 : 0) != 1)
        return Core::fail(cipher_error(init_failed));
    if (input.size() > static_cast<std::size_t>(INT_MAX - k_block_size))
        return Core::fail(cipher_error(update_failed));
    // At most one block more than the input, whichever the direction.
    Bytes output(input.size() + k_block_size);
    int written = 0;
    if (EVP_CipherUpdate(context.get(), output.data(), &written, input.data(),
                         static_cast<int>(input.size())) != 1) {
        wipe(output);
        return Core::fail(cipher_error(update_failed));
    }
    int last = 0;
    if (EVP_CipherFinal_ex(context.get(), output.data() + written, &last) != 1) {
        wipe(output);
        return Core::fail(cipher_error(final_failed));
    }
    output.resize(static_cast<std::size_t>(written + last));
    return output;
}

Core::Result<Bytes> OpenSSLSymmetricCipher::encrypt(ByteView data) {
    return run_cbc(data, true);
}

Core::Result<Bytes> OpenSSLSymmetricCipher::decrypt(ByteView cipher) {
    return run_cbc(cipher, false);
}

Core::Result<Bytes> OpenSSLSymmetricCipher::seal(ByteView data) {
    auto state = snapshot();
    if (!state)
        return Core::fail(state.error());
    if (data.size() > static_cast<std::size_t>(INT_MAX))
        return Core::fail(cipher_error("Failed to encrypt data"));
    constexpr std::size_t head = k_seal_salt_size + k_seal_nonce_size;
    Bytes sealed(head + data.size() + k_seal_tag_size);
    unsigned char* salt = sealed.data();
    unsigned char* nonce = salt + k_seal_salt_size;
    unsigned char* body = nonce + k_seal_nonce_size;
    if (RAND_bytes(salt, static_cast<int>(head)) != 1)
        return Core::fail(cipher_error("Failed to generate random bytes"));
    auto context = gcm_context(state->passphrase, state->salt, salt, nonce, true);
    if (!context)
        return Core::fail(context.error());
    int written = 0;
    if (EVP_EncryptUpdate(context->get(), body, &written, data.data(),
                          static_cast<int>(data.size())) != 1)
        return Core::fail(cipher_error("Failed to encrypt data"));
    int last = 0;
    if (EVP_EncryptFinal_ex(context->get(), body + written, &last) != 1 ||
        static_cast<std::size_t>(written + last) != data.size())
        return Core::fail(cipher_error("Failed to encrypt data finally"));
    if (EVP_CIPHER_CTX_ctrl(context->get(), EVP_CTRL_GCM_GET_TAG, k_seal_tag_size,
                            body + data.size()) != 1)
        return Core::fail(cipher_error("Failed to encrypt data finally"));
    return sealed;
}

Core::Result<Bytes> OpenSSLSymmetricCipher::unseal(ByteView sealed) {
    constexpr std::size_t head = k_seal_salt_size + k_seal_nonce_size;
    if (sealed.size() < head + k_seal_tag_size)
        return Core::fail(cipher_error("Sealed data is too short"));
    if (sealed.size() > static_cast<std::size_t>(INT_MAX))
        return Core::fail(cipher_error("Failed to decrypt data"));
    auto state = snapshot();
    if (!state)
        return Core::fail(state.error());
    const unsigned char* salt = sealed.data();
    const unsigned char* nonce = salt + k_seal_salt_size;
    const unsigned char* body = nonce + k_seal_nonce_size;
    const std::size_t body_size = sealed.size() - head - k_seal_tag_size;
    auto context = gcm_context(state->passphrase, state->salt, salt, nonce, false);
    if (!context)
        return Core::fail(context.error());
    // One spare byte keeps the output pointer valid for an empty text.
    Bytes plain(body_size + 1);
    int written = 0;
    if (EVP_DecryptUpdate(context->get(), plain.data(), &written, body,
                          static_cast<int>(body_size)) != 1) {
        wipe(plain);
        return Core::fail(cipher_error("Failed to decrypt data"));
    }
    // The tag is only read by OpenSSL; its ctrl takes a non-const pointer.
    unsigned char tag[k_seal_tag_size];
    std::memcpy(tag, body + body_size, k_seal_tag_size);
    int last = 0;
    if (EVP_CIPHER_CTX_ctrl(context->get(), EVP_CTRL_GCM_SET_TAG, k_seal_tag_size, tag) != 1 ||
        EVP_DecryptFinal_ex(context->get(), plain.data() + written, &last) != 1) {
        wipe(plain);
        return Core::fail(cipher_error("Failed to authenticate data: wrong key or changed data"));
    }
    plain.resize(static_cast<std::size_t>(written + last));
    return plain;
}

} // namespace Dizezida::Dovodarud::Supports::Crypto
