#include "platform/release_verifier.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vesket::platform::ReleaseVerifier {

QString sidecarPath(const QString& executable) {
  return executable + QString::fromLatin1(ReleaseSignature::kSidecarSuffix.data(),
                                          static_cast<qsizetype>(ReleaseSignature::kSidecarSuffix.size()));
}

std::optional<FileDigest> fileDigest(const QString& path) {
  QFile file(path);
  if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
  Sha256 digest;
  FileDigest result;
  QByteArray chunk(1 << 16, Qt::Uninitialized);
  for (;;) {
    const qint64 read = file.read(chunk.data(), chunk.size());
    if (read < 0) return std::nullopt;
    if (read == 0) break;
    digest.update(std::string_view(chunk.constData(), static_cast<std::size_t>(read)));
    result.size += static_cast<std::uint64_t>(read);
  }
  result.sha256 = digest.finishHex();
  return result;
}

ReleaseSigning::Verdict verify(const QString& path, std::string_view publicKey) {
  const auto digest = fileDigest(path);
  if (!digest) return ReleaseSigning::Verdict::missing;
  std::optional<std::string> sidecar;
  QFile file(sidecarPath(path));
  if (file.open(QIODevice::ReadOnly)) sidecar = file.read(64 * 1024).toStdString();
  return ReleaseSigning::check(sidecar, digest->sha256, digest->size, publicKey);
}

bool hasTrustedReleaseSignature(const QString& path) { return verify(path) == ReleaseSigning::Verdict::trusted; }

std::optional<QString> signExecutable(const QString& executable, const QString& privateKeyPemPath) {
  QFile keyFile(privateKeyPemPath);
  if (!keyFile.open(QIODevice::ReadOnly)) {
    return QStringLiteral("cannot read the signing key %1: %2").arg(privateKeyPemPath, keyFile.errorString());
  }
  const std::string pem = keyFile.readAll().toStdString();
  const auto digest = fileDigest(executable);
  if (!digest) return QStringLiteral("cannot read %1").arg(executable);
  const auto signature = ReleaseSigning::sign(pem, digest->sha256, digest->size);
  if (!signature) return QStringLiteral("%1 is not an Ed25519 private key").arg(privateKeyPemPath);
  QSaveFile sidecar(sidecarPath(executable));
  const QByteArray bytes = QByteArray::fromStdString(signature->encode());
  if (!sidecar.open(QIODevice::WriteOnly) || sidecar.write(bytes) != bytes.size() || !sidecar.commit()) {
    return QStringLiteral("cannot write %1: %2").arg(sidecarPath(executable), sidecar.errorString());
  }
  return std::nullopt;
}

}  // namespace vesket::platform::ReleaseVerifier
