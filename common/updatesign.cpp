#include "updatesign.h"

#include "packsums.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace updatesign {

namespace {

using Key = std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)>;
using Bio = std::unique_ptr<BIO, int (*)(BIO*)>;

constexpr size_t kKeyBytes = 32;
constexpr size_t kSignatureBytes = 64;

std::string openSslError() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (!code)
        return "unknown error";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

std::string toBase64(const unsigned char* data, size_t size) {
    std::string out(4 * ((size + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&out[0]), data, int(size));
    out.resize(n > 0 ? size_t(n) : 0);
    return out;
}

// Strict base64 (no blanks or line breaks, padding as written); false for anything else.
bool fromBase64(const std::string& text, std::string* out) {
    if (text.empty() || text.size() % 4 != 0)
        return false;
    for (char c : text) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == '+' || c == '/' || c == '=';
        if (!ok)
            return false;
    }
    std::string bytes(text.size() / 4 * 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(&bytes[0]),
                                  reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    if (n < 0)
        return false;
    size_t size = size_t(n);
    // EVP_DecodeBlock counts the padding as zero bytes.
    if (text[text.size() - 1] == '=')
        --size;
    if (text[text.size() - 2] == '=')
        --size;
    bytes.resize(size);
    *out = bytes;
    return true;
}

bool plainLine(const std::string& s) {
    if (s.empty())
        return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7f)
            return false;
    return true;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

} // namespace

std::string signedText(const Claims& c) {
    if (!plainLine(c.version) || !plainLine(c.fileName) || c.size < 0 || !packsums::isSha256Hex(c.sha256))
        return std::string();
    return "taviclient update\nversion=" + c.version + "\nfile=" + c.fileName +
           "\nsize=" + std::to_string(c.size) + "\nsha256=" + lower(c.sha256) + "\n";
}

bool verify(const std::string& text, const std::string& signatureBase64,
            const std::vector<std::string>& publicKeysBase64, std::string* why) {
    auto fail = [why](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (text.empty())
        return fail("the offer's claims cannot be signed text");
    std::string signature;
    if (!fromBase64(signatureBase64, &signature) || signature.size() != kSignatureBytes)
        return fail("the signature is not 64 bytes in base64");
    if (publicKeysBase64.empty())
        return fail("no key is trusted");
    for (const std::string& keyText : publicKeysBase64) {
        std::string raw;
        if (!fromBase64(keyText, &raw) || raw.size() != kKeyBytes)
            continue;
        Key key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                            reinterpret_cast<const unsigned char*>(raw.data()), raw.size()),
                EVP_PKEY_free);
        MdCtx ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
        if (!key || !ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
            ERR_clear_error();
            continue;
        }
        const int ok = EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                                        signature.size(), reinterpret_cast<const unsigned char*>(text.data()),
                                        text.size());
        ERR_clear_error();
        if (ok == 1)
            return true;
    }
    return fail("no trusted key made the signature");
}

bool makeKeyPair(std::string* privatePem, std::string* publicBase64, std::string* why) {
    std::unique_ptr<EVP_PKEY_CTX, void (*)(EVP_PKEY_CTX*)> ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr),
                                                               EVP_PKEY_CTX_free);
    EVP_PKEY* made = nullptr;
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 || EVP_PKEY_keygen(ctx.get(), &made) != 1) {
        if (why)
            *why = "cannot make a key: " + openSslError();
        return false;
    }
    Key key(made, EVP_PKEY_free);
    Bio out(BIO_new(BIO_s_mem()), BIO_free);
    unsigned char raw[kKeyBytes];
    size_t rawSize = sizeof raw;
    if (!out || PEM_write_bio_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
        EVP_PKEY_get_raw_public_key(key.get(), raw, &rawSize) != 1) {
        if (why)
            *why = "cannot write the key: " + openSslError();
        return false;
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(out.get(), &data);
    privatePem->assign(data, size_t(size));
    *publicBase64 = toBase64(raw, rawSize);
    return true;
}

bool sign(const std::string& text, const std::string& privatePem, std::string* signatureBase64,
          std::string* publicBase64, std::string* why) {
    auto fail = [why](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (text.empty())
        return fail("nothing to sign");
    Bio in(BIO_new_mem_buf(privatePem.data(), int(privatePem.size())), BIO_free);
    Key key(in ? PEM_read_bio_PrivateKey(in.get(), nullptr, nullptr, nullptr) : nullptr, EVP_PKEY_free);
    if (!key)
        return fail("not a private key: " + openSslError());
    if (EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519)
        return fail("not an Ed25519 key");
    MdCtx ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    unsigned char signature[kSignatureBytes];
    size_t signatureSize = sizeof signature;
    unsigned char raw[kKeyBytes];
    size_t rawSize = sizeof raw;
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
        EVP_DigestSign(ctx.get(), signature, &signatureSize,
                       reinterpret_cast<const unsigned char*>(text.data()), text.size()) != 1 ||
        EVP_PKEY_get_raw_public_key(key.get(), raw, &rawSize) != 1)
        return fail("cannot sign: " + openSslError());
    *signatureBase64 = toBase64(signature, signatureSize);
    if (publicBase64)
        *publicBase64 = toBase64(raw, rawSize);
    return true;
}

} // namespace updatesign
