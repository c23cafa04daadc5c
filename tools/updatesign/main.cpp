// updatesign: makes a release key pair and signs a client installer.
//
//   updatesign keygen NAME
//       writes NAME.pem (the private key, readable by its owner only) and
//       NAME.pub (the public key, one line of base64) and prints the latter.
//   updatesign sign KEY.pem INSTALLER VERSION [FILE-NAME]
//       prints the members the service adds to its update offer, as JSON:
//       version_name, size, sha256 and signature. FILE-NAME is the name the
//       client saves the installer under (the last part of the offered
//       path); by default the installer's own name.

#include "packsums.h"
#include "updatesign.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: updatesign keygen NAME\n"
                 "       updatesign sign KEY.pem INSTALLER VERSION [FILE-NAME]\n";
    return 2;
}

bool readAll(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return bool(in) || in.eof();
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

int keygen(const std::string& name) {
    const std::string pem = name + ".pem";
    const std::string pub = name + ".pub";
    struct stat st;
    if (stat(pem.c_str(), &st) == 0 || stat(pub.c_str(), &st) == 0) {
        std::cerr << "updatesign: " << pem << " or " << pub << " exists; not overwritten\n";
        return 1;
    }
    std::string privatePem, publicKey, why;
    if (!updatesign::makeKeyPair(&privatePem, &publicKey, &why)) {
        std::cerr << "updatesign: " << why << "\n";
        return 1;
    }
    const mode_t old = umask(077);
    std::ofstream priv(pem, std::ios::binary);
    priv << privatePem;
    priv.close();
    umask(old);
    std::ofstream pubOut(pub, std::ios::binary);
    pubOut << publicKey << "\n";
    pubOut.close();
    if (!priv || !pubOut) {
        std::cerr << "updatesign: cannot write " << pem << " and " << pub << "\n";
        std::remove(pem.c_str());
        std::remove(pub.c_str());
        return 1;
    }
    std::cout << publicKey << "\n";
    return 0;
}

int signInstaller(const std::string& keyPath, const std::string& installer, const std::string& version,
                  std::string fileName) {
    std::string privatePem;
    if (!readAll(keyPath, &privatePem)) {
        std::cerr << "updatesign: cannot read " << keyPath << "\n";
        return 1;
    }
    if (fileName.empty())
        fileName = installer.substr(installer.find_last_of('/') + 1);
    struct stat st;
    updatesign::Claims claims;
    if (stat(installer.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        !packsums::sha256File(installer, claims.sha256)) {
        std::cerr << "updatesign: cannot read " << installer << "\n";
        return 1;
    }
    claims.version = version;
    claims.fileName = fileName;
    claims.size = st.st_size;
    const std::string text = updatesign::signedText(claims);
    if (text.empty()) {
        std::cerr << "updatesign: the version and the file name must be one line each\n";
        return 1;
    }
    std::string signature, publicKey, why;
    if (!updatesign::sign(text, privatePem, &signature, &publicKey, &why)) {
        std::cerr << "updatesign: " << why << "\n";
        return 1;
    }
    std::cerr << "signed " << fileName << " " << version << " with the key " << publicKey << "\n";
    std::cout << "{\"version_name\": " << jsonString(version) << ", \"size\": \"" << claims.size
              << "\", \"sha256\": \"" << claims.sha256 << "\", \"signature\": \"" << signature << "\"}\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "keygen" && argc == 3)
        return keygen(argv[2]);
    if (command == "sign" && (argc == 5 || argc == 6))
        return signInstaller(argv[2], argv[3], argv[4], argc == 6 ? argv[5] : "");
    return usage();
}
