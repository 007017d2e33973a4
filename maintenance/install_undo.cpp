#include "maintenance/install_undo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>
#include <set>

#include "maintenance/tracked_mutation.h"

namespace vesket::maintenance {

namespace {

UninstallPlan planFor(const InstallManifest& manifest) {
  return UninstallPlan::build(manifest, [](const std::string& path) -> std::optional<std::string> {
    const auto bytes = readFileIfExists(QString::fromStdString(path));
    if (!bytes) return std::nullopt;
    return bytes->toStdString();
  });
}

void apply(const FileOutcome& outcome) {
  const QString path = QString::fromStdString(outcome.path);
  if (outcome.content) {
    writeFileAtomically(path, QByteArray::fromStdString(*outcome.content));
    return;
  }
  if (QFileInfo::exists(path) && !QFile::remove(path)) {
    throw TrackedMutationError(TrackedMutationError::Kind::ioFailure, "cannot delete " + outcome.path);
  }
  if (outcome.removeEmptyParent) QDir().rmdir(QFileInfo(path).absolutePath());  // only when empty
}

}  // namespace

UninstallPlan InstallUndo::plan() const { return planFor(m_mutation.readManifest()); }

UndoResult InstallUndo::execute() {
  UndoResult result;
  std::exception_ptr failure;
  m_mutation.updateManifest([&](InstallManifest& manifest) {
    result.plan = planFor(manifest);
    std::set<std::string> failed;
    for (const FileOutcome& outcome : result.plan.files) {
      if (failure) {
        failed.insert(outcome.path);
        continue;
      }
      try {
        apply(outcome);
        ++result.filesChanged;
      } catch (...) {
        failure = std::current_exception();
        failed.insert(outcome.path);
      }
    }
    // The manifest stays true to the files: records of files not put back are kept.
    for (const UninstallStep& step : result.plan.steps) {
      if (step.dropsRecord() && !failed.contains(step.record.target) &&
          manifest.remove(step.record.id, step.record.target, step.record.locator)) {
        ++result.recordsDropped;
      }
    }
  });
  if (failure) std::rethrow_exception(failure);
  return result;
}

}  // namespace vesket::maintenance
