#pragma once

#include <functional>
#include <map>
#include <memory>

namespace vesket::control_plane {

struct CancellationState;

// Cooperative cancellation for asynchronous requests. A caller keeps a CancellationSource
// and hands its token to the request; cancel() runs every registered handler once. Used on
// one thread (the one that runs the requests).
class CancellationToken {
 public:
  class Registration {
   public:
    Registration() = default;
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    Registration(Registration&& other) noexcept { *this = std::move(other); }
    Registration& operator=(Registration&& other) noexcept;
    ~Registration() { reset(); }
    void reset();

   private:
    friend class CancellationToken;
    std::weak_ptr<CancellationState> m_state;
    int m_key = 0;
  };

  CancellationToken() = default;  // a token that never fires

  bool isCancelled() const;

  // Runs `handler` when the token fires, or at once when it already has. The handler is
  // dropped when the registration goes away.
  [[nodiscard]] Registration onCancel(std::function<void()> handler) const;

 private:
  friend class CancellationSource;
  explicit CancellationToken(std::shared_ptr<CancellationState> state) : m_state(std::move(state)) {}
  std::shared_ptr<CancellationState> m_state;
};

struct CancellationState {
  bool cancelled = false;
  int nextKey = 1;
  std::map<int, std::function<void()>> handlers;
};

class CancellationSource {
 public:
  CancellationSource() : m_state(std::make_shared<CancellationState>()) {}
  CancellationToken token() const { return CancellationToken(m_state); }
  void cancel();
  bool isCancelled() const { return m_state->cancelled; }

 private:
  std::shared_ptr<CancellationState> m_state;
};

}  // namespace vesket::control_plane
