#pragma once

#include <string>

#include "daemon/core/request_frame.h"

namespace vesket::daemon {

class ControlConnection;

// A family of streaming commands served over control connections: the pane watch today,
// terminal attach and agent history next. A connection hands a service every request
// whose command it serves (after the token check), the "cancel" lines for its streams,
// and tells it when the connection goes away. Replies and events go back through the
// connection (`sendLine`, `sendStreamEvent`), which stays the only writer of its socket.
class StreamService {
 public:
  virtual ~StreamService() = default;

  virtual bool servesCommand(const std::string& cmd) const = 0;
  virtual void handle(ControlConnection& connection, const RequestFrame& frame) = 0;
  // Ends the connection's stream `id`; false when this service has none under that id.
  virtual bool cancel(ControlConnection& connection, const std::string& id) = 0;
  virtual void connectionClosed(ControlConnection& connection) = 0;
};

}  // namespace vesket::daemon
