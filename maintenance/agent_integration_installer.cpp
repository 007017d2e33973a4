#include "maintenance/agent_integration_installer.h"

#include <QDir>
#include <QFileInfo>

#include <fmt/format.h>

#include "maintenance/core/agent_integration.h"
#include "maintenance/core/claude_settings.h"
#include "maintenance/core/text_block.h"
#include "maintenance/tracked_mutation.h"

namespace vesket::maintenance {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

std::string shellWord(const QString& path) {
  // Plain paths stay readable in the instructions; anything else is quoted.
  static const QString plain = QStringLiteral("/._-+:@%");
  for (const QChar c : path) {
    if (!c.isLetterOrNumber() && !plain.contains(c)) {
      std::string out = "'";
      for (const char b : path.toStdString()) out += b == '\'' ? std::string("'\\''") : std::string(1, b);
      return out + "'";
    }
  }
  return path.toStdString();
}

}  // namespace

AgentIntegrationInstaller::AgentIntegrationInstaller(TrackedMutation& mutation, AgentIntegrationOptions options)
    : m_mutation(mutation), m_options(std::move(options)) {}

AgentIntegrationReport AgentIntegrationInstaller::sync() {
  AgentIntegrationReport report;
  m_mutation.readManifest();  // an invalid manifest stops everything before any file changes
  syncInstructions(report);
  syncClaudeHooks(report);
  return report;
}

void AgentIntegrationInstaller::syncInstructions(AgentIntegrationReport& report) {
  const auto locations = AgentLocations::from(m_options.userHome.toStdString(), m_options.environment);
  const std::string vesket = shellWord(m_options.vesketBinary);
  for (const InstructionsFile& file : AgentIntegration::instructionsFiles(locations, vesket)) {
    const std::string what = fmt::format("{} instructions {}", file.agent, file.path);
    if (!QFileInfo(q(file.agentHome)).isDir()) {
      report.lines.push_back(fmt::format("{}: skipped, {} is not set up here (no {})", what, file.agent, file.agentHome));
      continue;
    }
    try {
      const auto existing = readFileIfExists(q(file.path));
      const std::string text = existing ? existing->toStdString() : std::string();
      const bool whole = file.locator == "$file";
      const std::string blockName(AgentIntegration::kBlockName);
      std::optional<MutationValue> current;
      if (whole && existing) current = MutationValue::fileContent(text);
      if (!whole) {
        if (auto block = TextBlock::find(text, blockName)) current = MutationValue::string(*block);
      }
      const MutationValue desired = whole ? MutationValue::fileContent(file.content) : MutationValue::string(file.content);
      const InstallManifest manifest = m_mutation.readManifest();
      const MutationRecord* record = manifest.find(file.id, TrackedMutation::recordedTarget(q(file.path)), file.locator);
      const SyncVerdict verdict = decideSync(current, record, desired);
      if (!writes(verdict, m_options.force)) {
        report.lines.push_back(fmt::format("{}: {}", what, verdictText(verdict)));
        continue;
      }
      MutationObservation observation;
      observation.id = file.id;
      observation.locator = file.locator;
      observation.kind = whole ? "file" : "text-block";
      observation.before.exists = existing.has_value();
      if (existing) observation.before.value = MutationValue::fileContent(text);
      observation.afterValue = desired;
      observation.multiplicity = {current ? 1 : 0, 1};
      observation.owned = !existing;
      const std::string content = whole ? file.content : TextBlock::upsert(text, blockName, file.content);
      m_mutation.writeText(q(file.path), content, {observation});
      ++report.written;
      report.lines.push_back(fmt::format("{}: {}", what, verdictText(verdict == SyncVerdict::update ? verdict : SyncVerdict::install)));
    } catch (const TrackedMutationError& error) {
      if (error.kind() == TrackedMutationError::Kind::invalidManifest) throw;
      ++report.problems;
      report.lines.push_back(fmt::format("{}: not installed: {}", what, error.what()));
    }
  }
}

void AgentIntegrationInstaller::syncClaudeHooks(AgentIntegrationReport& report) {
  const auto locations = AgentLocations::from(m_options.userHome.toStdString(), m_options.environment);
  const QString settingsPath = q(locations.claudeHome) + QStringLiteral("/settings.json");
  const std::string what = "Claude Code hooks in " + settingsPath.toStdString();
  if (!QFileInfo(q(locations.claudeHome)).isDir()) {
    report.lines.push_back(fmt::format("{}: skipped, Claude Code is not set up here (no {})", what, locations.claudeHome));
    return;
  }
  try {
    const auto existing = readFileIfExists(settingsPath);
    ClaudeSettings::Json settings;
    try {
      settings = ClaudeSettings::parse(existing ? existing->toStdString() : std::string());
    } catch (const InvalidSettings& error) {
      ++report.problems;
      report.lines.push_back(fmt::format("{}: not installed: the file is {}; it was left as it is, fix it and run "
                                         "'vesket skills sync' again",
                                         what, error.what()));
      return;
    }
    const std::string command = ClaudeSettings::hookCommand(m_options.vesketBinary.toStdString(),
                                                            m_mutation.productHome().toStdString());
    const InstallManifest manifest = m_mutation.readManifest();
    const std::string target = TrackedMutation::recordedTarget(settingsPath);
    std::vector<MutationObservation> observations;
    std::vector<std::string> notes;
    ClaudeSettings::Json updated = settings;
    for (const auto& hook : ClaudeSettings::vesketHooks()) {
      const nlohmann::json desired = ClaudeSettings::hookGroup(hook, command);
      const auto groups = ClaudeSettings::vesketGroups(settings, hook.event);
      std::optional<MutationValue> current;
      if (groups.size() == 1) current = MutationValue::fromJson(groups.front());
      else if (!groups.empty()) current = MutationValue::fromJson(nlohmann::json(groups));
      const std::string id = AgentIntegration::hookId(hook.event);
      const std::string locator = ClaudeSettings::locator(hook.event);
      const SyncVerdict verdict = decideSync(current, manifest.find(id, target, locator), MutationValue::fromJson(desired));
      if (!writes(verdict, m_options.force)) {
        if (verdict != SyncVerdict::unchanged) notes.push_back(fmt::format("{} hook {}", hook.event, verdictText(verdict)));
        continue;
      }
      MutationObservation observation;
      observation.id = id;
      observation.locator = locator;
      observation.kind = "json-array-entry";
      observation.before.exists = ClaudeSettings::hasEventArray(settings, hook.event);
      observation.before.value = MutationValue::fromJson(ClaudeSettings::eventArray(settings, hook.event));
      observation.afterValue = MutationValue::fromJson(desired);
      observation.multiplicity = {static_cast<std::int64_t>(groups.size()), 1};
      observation.owned = false;
      ClaudeSettings::putGroup(updated, hook.event, desired);
      observations.push_back(std::move(observation));
    }
    if (!existing && !observations.empty()) {
      MutationObservation created;
      created.id = "claude-settings-file";
      created.locator = "$file";
      created.kind = "created-file";
      created.multiplicity = {0, 1};
      created.owned = true;
      observations.push_back(std::move(created));
    }
    for (const std::string& note : notes) report.lines.push_back(fmt::format("{}: {}", what, note));
    if (observations.empty()) {
      if (notes.empty()) report.lines.push_back(what + ": up to date");
      return;
    }
    // The settings as they were before Vesket first touched them, kept once.
    const std::string backupId(AgentIntegration::kBackupId);
    const QString backupPath = m_mutation.productHome() + QStringLiteral("/backups/claude-settings.json");
    if (existing && !manifest.find(backupId, TrackedMutation::recordedTarget(backupPath), "$file")) {
      m_mutation.copy(backupId, settingsPath, backupPath);
      ++report.written;
    }
    const std::size_t hooks = observations.size() - (existing ? 0 : 1);
    m_mutation.writeText(settingsPath, ClaudeSettings::serialize(updated), observations);
    ++report.written;
    report.lines.push_back(fmt::format("{}: {} hook entries installed or updated", what, hooks));
  } catch (const TrackedMutationError& error) {
    if (error.kind() == TrackedMutationError::Kind::invalidManifest) throw;
    ++report.problems;
    report.lines.push_back(fmt::format("{}: not installed: {}", what, error.what()));
  }
}

}  // namespace vesket::maintenance
