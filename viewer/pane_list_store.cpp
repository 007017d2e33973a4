#include "viewer/pane_list_store.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <memory>
#include <unordered_set>

#include "viewer/core/utf8_text.h"

namespace vesket::viewer {

using control_plane::PaneEntry;

PaneListStore::PaneListStore(QObject* parent)
    : PaneListStore(localeTitleComparator(QLocale()), parent) {}

PaneListStore::PaneListStore(PaneGrouping::TitleComparator compareTitles, QObject* parent)
    : QObject(parent), m_compareTitles(std::move(compareTitles)) {
  if (!m_compareTitles) m_compareTitles = PaneGrouping::caseInsensitiveCompare;
}

PaneGrouping::TitleComparator PaneListStore::localeTitleComparator(const QLocale& locale) {
  auto collator = std::make_shared<QCollator>(locale);
  collator->setCaseSensitivity(Qt::CaseInsensitive);
  return [collator](std::string_view a, std::string_view b) {
    return collator->compare(QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())),
                             QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())));
  };
}

void PaneListStore::apply(const std::vector<PaneEntry>& entries) {
  std::vector<PaneEntry> kept;
  kept.reserve(entries.size());
  std::unordered_set<std::string> seen;
  for (const PaneEntry& entry : entries) {
    std::string id(utf8::trimWhitespace(entry.paneId));
    if (id.empty() || !seen.insert(std::move(id)).second) continue;
    kept.push_back(entry);
  }
  m_panes = std::move(kept);
  emit panesChanged();
  m_groups = PaneGrouping::group(m_panes, m_compareTitles);
  emit groupsChanged();
}

void PaneListStore::ingest(const control_plane::WatchEvent& event) {
  if (const auto* snapshot = event.asSnapshot()) apply(snapshot->panes);
}

bool PaneListStore::contains(std::string_view paneId) const {
  return std::any_of(m_panes.begin(), m_panes.end(),
                     [&](const PaneEntry& entry) { return entry.paneId == paneId; });
}

bool PaneListStore::isRunning(std::optional<std::string_view> paneId) const {
  if (!paneId) return false;
  const auto it = std::find_if(m_panes.begin(), m_panes.end(),
                               [&](const PaneEntry& entry) { return entry.paneId == *paneId; });
  return it != m_panes.end() && PaneGrouping::isRunning(*it);
}

std::vector<std::string> PaneListStore::orderedPaneIds() const {
  std::vector<std::string> ids;
  for (const PaneGroup& group : m_groups) {
    for (const PaneRow& row : group.rows) ids.push_back(row.id);
  }
  return ids;
}

}  // namespace vesket::viewer
