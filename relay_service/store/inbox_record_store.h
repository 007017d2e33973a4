#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "inbox/core/inbox_records.h"

namespace vesket::relay_service {

// Who a thread belongs to and how it is shown: a pane of a daemon, or a named thread.
struct ThreadIdentity {
  std::string slug;
  std::string agentDisplay;
  std::optional<std::string> agentColor;
  std::optional<std::string> paneId;
  std::optional<std::string> paneLabel;
  std::optional<std::int64_t> daemonId;
};

// A thread's pane, for delivering the user's replies to the agent.
struct ThreadPane {
  std::optional<std::int64_t> daemonId;
  std::optional<std::string> paneId;
};

// A file an agent shared, kept until it expires. Only the digest of its token is stored.
struct SharedFile {
  std::string tokenDigest;
  std::int64_t userId = 0;
  std::string filename;
  std::string mimeType;
  std::int64_t size = 0;
  std::int64_t createdAtMs = 0;
  std::int64_t expiresAtMs = 0;
  std::string bytes;
};

// The inbox of every account: threads, messages, notifications and shared files. Every
// change is one transaction under the store's lock.
class InboxRecordStore {
 public:
  virtual ~InboxRecordStore() = default;

  // Creates the thread or refreshes how it is shown, then adds the message (its id and
  // time are the store's); the stored message.
  virtual inbox::InboxMessage addMessage(std::int64_t userId, const ThreadIdentity& thread,
                                         inbox::InboxMessage message) = 0;
  // Adds a message to an existing thread; nothing when the account has no such thread.
  virtual std::optional<inbox::InboxMessage> addMessageToThread(std::int64_t userId, const std::string& slug,
                                                                inbox::InboxMessage message) = 0;
  // The threads, newest activity first; ended ones only with `includeEnded`.
  virtual std::vector<inbox::InboxThread> listThreads(std::int64_t userId, bool includeEnded) = 0;
  virtual std::optional<ThreadPane> findThreadPane(std::int64_t userId, const std::string& slug) = 0;
  // The newest `limit` messages older than `beforeId` (all when none), oldest first.
  // Nothing when the account has no such thread.
  virtual std::optional<std::vector<inbox::InboxMessage>> listMessages(std::int64_t userId, const std::string& slug,
                                                                       std::optional<std::int64_t> beforeId,
                                                                       int limit) = 0;
  // One message of the account (any thread) and its thread's slug.
  virtual std::optional<std::pair<std::string, inbox::InboxMessage>> findMessage(std::int64_t userId,
                                                                                 std::int64_t messageId) = 0;
  // Lets `change` edit the message and saves it when `change` returns true; nothing when
  // the thread has no such message. The read, the change and the write are one step, so
  // two answers to one decision never both see it open.
  virtual std::optional<inbox::InboxMessage> updateMessage(std::int64_t userId, const std::string& slug,
                                                           std::int64_t messageId,
                                                           const std::function<bool(inbox::InboxMessage&)>& change) = 0;
  // Marks the thread read up to that message (the newest when none); false for no thread.
  virtual bool markThreadRead(std::int64_t userId, const std::string& slug, std::optional<std::int64_t> upToId) = 0;
  virtual bool deleteThread(std::int64_t userId, const std::string& slug) = 0;
  virtual bool endThread(std::int64_t userId, const std::string& slug, std::int64_t atMs) = 0;

  virtual inbox::PlatformNotification addNotification(std::int64_t userId, inbox::PlatformNotification notification) = 0;
  // The newest `limit`, newest first.
  virtual std::vector<inbox::PlatformNotification> listNotifications(std::int64_t userId, int limit) = 0;
  virtual bool markNotificationRead(std::int64_t userId, const std::string& id) = 0;
  virtual void markAllNotificationsRead(std::int64_t userId) = 0;

  virtual void addFile(const SharedFile& file) = 0;
  virtual std::optional<SharedFile> findFile(const std::string& tokenDigest) = 0;
  // Forgets the contents of files expired by then (their records stay, so a late download
  // hears that the file expired); the number of files emptied.
  virtual int dropExpiredFiles(std::int64_t nowMs) = 0;
};

}  // namespace vesket::relay_service
