#pragma once

#include <QString>
#include <optional>

#include "daemon/core/transcript_follower.h"

namespace vesket::daemon {

// Looking at agents' transcript files. Both touch the disk: call them off the event loop.

// The newest `*.jsonl` file in a project folder, or an empty string.
QString newestTranscript(const QString& projectDir);

// What a transcript file looks like now (which file, how long), or nothing when it is gone.
std::optional<TranscriptFollower::FileState> transcriptFileState(const QString& path);

}  // namespace vesket::daemon
