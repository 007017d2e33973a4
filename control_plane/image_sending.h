#pragma once

#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "control_plane/core/command_results.h"

namespace vesket::control_plane {

// Something that can deliver images (and a text) to a pane: the local daemon client for
// panes on this machine, the relay pane source for panes of other machines. Callers that
// attach images hold this, not a concrete client.
class ImageSending {
 public:
  virtual ~ImageSending() = default;

  // Fails with the sender's errors; a result with `ok` false is returned, not thrown.
  virtual QCoro::Task<ImageSendResult> sendImage(std::string paneId, std::vector<ImageAttachment> images,
                                                 std::string text) = 0;
};

}  // namespace vesket::control_plane
