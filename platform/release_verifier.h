#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/release_signature.h"

namespace vesket::platform {

// The release public key built into this program (32 raw bytes): the development key
// generated into the build directory, or the release key the build was configured with.
std::string_view releasePublicKey();

// Release signatures of executables on disk (see ReleaseSignature).
namespace ReleaseVerifier {

struct FileDigest {
  std::string sha256;  // lowercase hex
  std::uint64_t size = 0;
};

// The sidecar of an executable: its path + ".sig".
QString sidecarPath(const QString& executable);

// SHA-256 and size of a file, read to its end; nothing when it cannot be read (a directory,
// a missing file, a read error).
std::optional<FileDigest> fileDigest(const QString& path);

// The verdict for the executable at `path` and its sidecar against `publicKey` (default:
// the key built into this program). A missing executable counts as missing.
ReleaseSigning::Verdict verify(const QString& path, std::string_view publicKey = releasePublicKey());
bool hasTrustedReleaseSignature(const QString& path);

// Signs the executable with the Ed25519 private key in the PEM file and writes its sidecar
// (through a temporary file and a rename). The error text, or nothing on success.
std::optional<QString> signExecutable(const QString& executable, const QString& privateKeyPemPath);

}  // namespace ReleaseVerifier
}  // namespace vesket::platform
