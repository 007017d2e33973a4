// PaneGrouping: rows, groups, titles and their order.
#include "viewer/core/pane_grouping.h"

#include <algorithm>
#include <limits>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "viewer/core/utf8_text.h"

namespace vesket::viewer::PaneGrouping {

namespace {

bool isParked(const PaneEntry& entry) {
  return entry.takeoverHomeWindowId && !entry.takeoverHomeWindowId->empty();
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Simple case folding for the scripts whose case pairs are regular: Latin, Greek, Cyrillic.
char32_t fold(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x100 && c <= 0x137 && c % 2 == 0) return c + 1;
  if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return c + 1;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

std::string projectOf(const PaneEntry& entry) {
  return entry.crewProject && !entry.crewProject->empty() ? *entry.crewProject
                                                          : entry.crewId.value_or("");
}

using ProjectCrews = std::unordered_map<std::string, std::set<std::string>>;
using ProjectNames = std::unordered_map<std::string, std::string>;

// Do the last `count` pieces of `a` and `b` match (a shorter one matches nothing)?
bool sameEnding(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b, std::size_t count) {
  if (a.size() < count || b.size() < count) return false;
  return std::equal(a.end() - static_cast<std::ptrdiff_t>(count), a.end(), b.end() - static_cast<std::ptrdiff_t>(count));
}

struct Title {
  std::string text;
  std::string suffix;       // the " (tag)" of a team whose project has several
  std::string crewProject;  // the team's project, for a team's window
};

// The crew label: the project's distinct name, then " (tag)" when the project has several teams.
Title crewLabel(const PaneEntry& entry, const ProjectCrews& projectCrews, const ProjectNames& names) {
  const std::string project = projectOf(entry);
  const std::string name = projectName(project);
  const auto distinct = names.find(project);
  const std::string shown = distinct == names.end() ? name : distinct->second;
  const auto crews = projectCrews.find(project);
  if (crews == projectCrews.end() || crews->second.size() < 2) return {shown, {}, project};
  const std::string& crewId = *entry.crewId;
  std::string tag = crewId;
  for (const std::string& prefix : {project + "-", name + "-"}) {
    if (startsWith(crewId, prefix)) {
      tag = crewId.substr(prefix.size());
      break;
    }
  }
  std::string suffix = " (" + tag + ")";
  return {shown + suffix, suffix, project};
}

Title titleOf(const PaneEntry& anchor, const ProjectCrews& projectCrews, const ProjectNames& names) {
  const bool isGroupWindow = anchor.windowKind && *anchor.windowKind == "group";
  if (isGroupWindow) return {anchor.windowName.empty() ? "Agent Group" : anchor.windowName, {}};
  if (anchor.crewId) return crewLabel(anchor, projectCrews, names);
  if (anchor.soloWindow.value_or(false)) return {"Solo", {}};
  if (anchor.windowName == "Solo") return {"Solo", {}};
  return {anchor.windowName.empty() ? anchor.sessionName : anchor.windowName, {}};
}

}  // namespace

std::string projectName(std::string_view project) {
  return looksLikePath(project) ? splitPath(project).first : std::string(project);
}

ProjectNames distinctProjectNames(const std::vector<std::string>& projects) {
  std::unordered_map<std::string, std::vector<std::string>> byName;
  for (const std::string& project : projects) {
    std::vector<std::string>& named = byName[projectName(project)];
    if (std::find(named.begin(), named.end(), project) == named.end()) named.push_back(project);
  }
  ProjectNames names;
  for (const auto& [name, named] : byName) {
    if (named.size() == 1) {
      names.emplace(named.front(), name);
      continue;
    }
    std::vector<std::vector<std::string_view>> pieces;
    for (const std::string& project : named) {
      pieces.push_back(looksLikePath(project) ? pathComponents(project) : std::vector<std::string_view>{project});
    }
    for (std::size_t i = 0; i < named.size(); ++i) {
      std::string shown = named[i];
      for (std::size_t count = 2; count <= pieces[i].size(); ++count) {
        const bool shared = std::any_of(pieces.begin(), pieces.end(), [&](const std::vector<std::string_view>& other) {
          return &other != &pieces[i] && sameEnding(pieces[i], other, count);
        });
        if (shared) continue;
        shown.clear();
        for (std::size_t piece = pieces[i].size() - count; piece < pieces[i].size(); ++piece) {
          if (!shown.empty()) shown += '/';
          shown += pieces[i][piece];
        }
        break;
      }
      names.emplace(named[i], std::move(shown));
    }
  }
  return names;
}

int caseInsensitiveCompare(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0, lengthA = 0, lengthB = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t ca = fold(utf8::decode(a, i, lengthA));
    const char32_t cb = fold(utf8::decode(b, j, lengthB));
    if (ca != cb) return ca < cb ? -1 : 1;
    i += lengthA;
    j += lengthB;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::int64_t paneIdNumeric(std::string_view paneId) {
  constexpr auto kLargest = std::numeric_limits<std::int64_t>::max();
  if (startsWith(paneId, "%")) paneId.remove_prefix(1);
  if (paneId.empty()) return kLargest;
  return utf8::parseInteger(paneId).value_or(kLargest);
}

std::string groupTitle(std::string_view sessionName, std::string_view windowName) {
  const std::string_view name = utf8::trimBlanks(windowName);
  if (name.empty() || name == sessionName) return std::string(sessionName);
  const std::string lower = utf8::asciiLower(name);
  if (std::find(std::begin(genericWindowNames), std::end(genericWindowNames), lower) !=
      std::end(genericWindowNames)) {
    return std::string(sessionName);
  }
  return std::string(name);
}

std::string displayLocation(std::string_view location, std::string_view title) {
  if (!title.empty()) {
    const std::string owned(title);
    for (const std::string& prefix : {owned + ":", owned + "-"}) {
      if (startsWith(location, prefix)) return std::string(location.substr(prefix.size()));
    }
  }
  return std::string(location);
}

PaneRow row(const PaneEntry& entry) {
  PaneRow out;
  out.id = entry.paneId;
  out.fullLabel = friendlyLabel(entry);
  std::tie(out.label, out.parentChip) = displayComponents(out.fullLabel);
  out.role = resolveRole(entry);
  out.isManager = out.role == "manager";
  out.isRunning = isRunning(entry);
  out.statusCaption = out.isRunning ? "running" : "idle";
  out.isStale = isStaleSession(entry.sessionName);
  out.agentKind = classifyKind(entry);
  out.modelLabel = modelChipLabel(entry);
  out.modelReason = entry.modelReason;
  out.paneLocation = (entry.windowName.empty() ? entry.sessionName : entry.windowName) + ":" +
                     std::to_string(entry.windowIndex) + "." + std::to_string(entry.paneIndex);
  out.crewId = entry.crewId;
  out.windowId = entry.windowId;
  out.windowKind = entry.windowKind;
  out.isTakeoverParked = isParked(entry);
  return out;
}

std::vector<PaneGroup> group(const std::vector<PaneEntry>& entries,
                             const TitleComparator& compareTitles) {
  // Windows that hold at least one pane at home.
  std::unordered_set<std::string> homeWindows;
  for (const PaneEntry& entry : entries) {
    if (!isParked(entry)) homeWindows.insert(entry.windowId);
  }

  // Does a project have several teams? Do projects share a name?
  ProjectCrews projectCrews;
  std::vector<std::string> projects;
  for (const PaneEntry& entry : entries) {
    if (!entry.crewId) continue;
    auto [crews, added] = projectCrews.try_emplace(projectOf(entry));
    crews->second.insert(*entry.crewId);
    if (added) projects.push_back(crews->first);
  }
  const ProjectNames names = distinctProjectNames(projects);

  // Group keys in order of first appearance.
  std::vector<std::pair<std::string, std::vector<const PaneEntry*>>> buckets;
  std::unordered_map<std::string, std::size_t> bucketIndex;
  for (const PaneEntry& entry : entries) {
    const bool joinsHome = entry.takeoverHomeWindowId && !homeWindows.empty() &&
                           homeWindows.count(*entry.takeoverHomeWindowId) > 0;
    const std::string& source = joinsHome ? *entry.takeoverHomeWindowId : entry.windowId;
    const std::string key = source.empty() ? "window:" + entry.sessionName + ":" +
                                                 std::to_string(entry.windowIndex)
                                           : "window:" + source;
    auto [it, inserted] = bucketIndex.try_emplace(key, buckets.size());
    if (inserted) buckets.push_back({key, {}});
    buckets[it->second].second.push_back(&entry);
  }

  std::vector<PaneGroup> groups;
  groups.reserve(buckets.size());
  for (auto& [key, members] : buckets) {
    const auto anchorIt = std::find_if(members.begin(), members.end(),
                                       [](const PaneEntry* e) { return !isParked(*e); });
    const PaneEntry& anchor = anchorIt != members.end() ? **anchorIt : *members.front();

    PaneGroup out;
    out.id = key;
    Title title = titleOf(anchor, projectCrews, names);
    out.title = std::move(title.text);
    out.titleSuffix = std::move(title.suffix);
    out.crewProject = std::move(title.crewProject);

    std::vector<PaneRow> rows;
    rows.reserve(members.size());
    for (const PaneEntry* entry : members) rows.push_back(row(*entry));
    std::stable_sort(rows.begin(), rows.end(), [](const PaneRow& a, const PaneRow& b) {
      if (a.isManager != b.isManager) return a.isManager;
      const std::int64_t na = paneIdNumeric(a.id), nb = paneIdNumeric(b.id);
      if (na != nb) return na < nb;
      return a.id < b.id;
    });
    for (PaneRow& r : rows) {
      r.paneLocation = displayLocation(r.paneLocation, out.title);
      if (r.isRunning) ++out.runningCount;
    }
    out.rows = std::move(rows);
    out.isStale = false;
    groups.push_back(std::move(out));
  }

  std::stable_sort(groups.begin(), groups.end(), [&](const PaneGroup& a, const PaneGroup& b) {
    const int order = compareTitles(a.title, b.title);
    if (order != 0) return order < 0;
    return a.id < b.id;
  });
  return groups;
}

}  // namespace vesket::viewer::PaneGrouping
