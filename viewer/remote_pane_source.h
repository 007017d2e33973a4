// Another machine's panes as the viewer uses them: their list, their text, and text, keys,
// images and files sent to them. The relay's pane source implements it; ids it takes may be namespaced
// ("d<daemon id>/%N"), ids it lists are the other machine's own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/command_results.h"
#include "control_plane/core/pane_entry.h"
#include "viewer/pane_content_source.h"

namespace vesket::viewer {

struct RemotePaneRoster {
  std::vector<control_plane::PaneEntry> panes;
  std::optional<std::int64_t> resolvedDaemonId;  // the daemon that answered
};

class RemotePaneSource : public PaneContentSource {
 public:
  virtual QCoro::Task<RemotePaneRoster> listPanes() = 0;
  virtual QCoro::Task<control_plane::SendResult> sendText(std::string paneId, std::string text,
                                                          std::optional<std::string> clientRequestId) = 0;
  virtual QCoro::Task<void> sendKey(std::string paneId, std::string key) = 0;
  // `onProgress` gets the fraction (0..1) of the upload sent.
  virtual QCoro::Task<control_plane::ImageSendResult> sendImage(std::string paneId,
                                                                std::vector<control_plane::ImageAttachment> images,
                                                                std::string text,
                                                                std::function<void(double)> onProgress = nullptr) = 0;
  // Copies a file of this machine to the pane's machine without typing anything; the path
  // it has there.
  virtual QCoro::Task<std::string> keepFile(std::string paneId, QString filePath,
                                            std::function<void(double)> onProgress = nullptr) = 0;
};

}  // namespace vesket::viewer
