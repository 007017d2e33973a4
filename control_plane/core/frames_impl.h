#pragma once

// Template part of frames.h.

#include <type_traits>

#include "control_plane/core/control_plane_errors.h"
#include "control_plane/core/decoding_error.h"

namespace vesket::control_plane {

template <typename T>
T decodeReplyData(const ReplyData& reply) {
  if (!reply.hasData) {
    throw ControlPlaneError::protocolError("reply: required key 'data' is missing");
  }
  try {
    if constexpr (std::is_same_v<T, nlohmann::json>) {
      return reply.data;
    } else {
      return T::fromJson(reply.data);
    }
  } catch (const DecodingError& e) {
    throw ControlPlaneError::protocolError(e.what());
  } catch (const nlohmann::json::exception& e) {
    throw ControlPlaneError::protocolError(e.what());
  }
}

}  // namespace vesket::control_plane
