#pragma once
// Signed client updates. A release key (Ed25519) signs a short text that
// names what the service offers: the version, the installer's file name, its
// size and the SHA-256 of its bytes. The client checks that text, rebuilt from
// the offer and the file it downloaded, against the public keys it carries, so
// neither other bytes nor an old installer offered as a newer version pass.
//
// Keys travel as text: a public key is its 32 raw bytes in base64 (one line);
// a private key is a PKCS #8 PEM file.

#include <string>
#include <vector>

namespace updatesign {

struct Claims {
    std::string version;  // the offer's version_name
    std::string fileName; // the installer's name on disk
    long long size = -1;  // bytes
    std::string sha256;   // 64 hex digits of the bytes
};

// The text a release key signs; empty when a claim cannot be written
// unambiguously (a line break or other control character, a size below
// zero, a digest that is not 64 hex digits).
std::string signedText(const Claims& claims);

// Verifies a base64 signature of text against each key (base64 public keys)
// in turn; true when one of them made it. why says what failed otherwise.
bool verify(const std::string& text, const std::string& signatureBase64,
            const std::vector<std::string>& publicKeysBase64, std::string* why);

// A new key pair: the private key as PEM, the public key as base64.
bool makeKeyPair(std::string* privatePem, std::string* publicBase64, std::string* why);

// The base64 signature of text with a PEM private key (and its public key in
// base64, for the signer to see which key signed).
bool sign(const std::string& text, const std::string& privatePem, std::string* signatureBase64,
          std::string* publicBase64, std::string* why);

} // namespace updatesign
