#pragma once

#include <QProcess>
#include <QProcessEnvironment>

namespace vesket::daemon {

// How the daemon starts tmux. A tmux server copies the environment of the process that
// starts it into every pane it will ever run, so tmux never gets the daemon's own secrets
// (the control token, relay credentials) nor TMUX/TMUX_PANE, which would nest it in
// another server; and it gets the descriptor limit the daemon itself was started with,
// not the raised one the daemon serves its clients with.
namespace TmuxProcess {

// `base` without the daemon's secrets and nesting variables; an empty `base` stands for
// this process's own environment.
QProcessEnvironment environment(const QProcessEnvironment& base = {});

// Applies the environment (made from `base`, as above) and the descriptor limit to a
// process about to run tmux.
void prepare(QProcess& process, const QProcessEnvironment& base = {});

// Raises this process's soft descriptor limit to its hard limit, remembering the old one for
// the tmux processes it starts. Returns the limit now in force (0 when unknown).
long raiseDescriptorLimit();

}  // namespace TmuxProcess
}  // namespace vesket::daemon
