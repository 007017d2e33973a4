#!/bin/bash
# Vesket's optional environment installer for Linux: tmux and starship (and fish on request)
# from the system package manager. Homebrew and Ghostty do not apply on Linux.
#
#   vesket-env-install.sh --yes [--with-fish] [--with-ghostty]
#
# Prints one "step N/M <component>: ..." line after each component is in place and "done"
# at the end; exits non-zero when a component could not be installed. The application
# checks this file's SHA-256 against the digest it was built with before running it.
set -u

yes=0
with_fish=0
with_ghostty=0
for argument in "$@"; do
  case "$argument" in
    --yes) yes=1 ;;
    --with-fish) with_fish=1 ;;
    --with-ghostty) with_ghostty=1 ;;
    -h | --help)
      echo "usage: $0 --yes [--with-fish] [--with-ghostty]"
      exit 0
      ;;
    *)
      echo "unknown option: $argument" >&2
      exit 2
      ;;
  esac
done
if [ "$yes" != 1 ]; then
  echo "This installer changes the system: run it with --yes." >&2
  exit 2
fi

# An executable of that name on the search path (bash also names files that are not).
have() {
  local found
  found=$(command -v "$1" 2>/dev/null) && [ -x "$found" ]
}

components=(tmux starship)
[ "$with_fish" = 1 ] && components+=(fish)
total=${#components[@]}

missing=()
for component in "${components[@]}"; do
  if have "$component"; then
    echo "$component is already installed at $(command -v "$component")"
  else
    missing+=("$component")
  fi
done
[ "$with_ghostty" = 1 ] && echo "ghostty: not applicable on this system, use your desktop's terminal"

# Runs a package manager as root: directly when this is root, else through pkexec (a
# graphical password prompt) or a sudo that needs no password.
as_root() {
  if [ "$EUID" = 0 ]; then
    "$@"
  elif have pkexec; then
    pkexec "$@"
  elif have sudo && sudo -n true 2>/dev/null; then
    sudo -n "$@"
  else
    echo "Installing needs administrator rights; run this yourself: sudo $*" >&2
    return 1
  fi
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing ${missing[*]} with the system package manager"
  status=0
  if have apt-get; then
    as_root apt-get install -y "${missing[@]}" || status=$?
  elif have dnf; then
    as_root dnf install -y "${missing[@]}" || status=$?
  elif have pacman; then
    as_root pacman -S --needed --noconfirm "${missing[@]}" || status=$?
  elif have zypper; then
    as_root zypper --non-interactive install "${missing[@]}" || status=$?
  elif have apk; then
    as_root apk add "${missing[@]}" || status=$?
  else
    echo "No supported package manager found (apt-get, dnf, pacman, zypper, apk)." >&2
    status=1
  fi
  if [ "$status" != 0 ]; then
    echo "the package manager exited with status $status" >&2
  fi
  hash -r
fi

number=0
failed=0
for component in "${components[@]}"; do
  number=$((number + 1))
  if have "$component"; then
    echo "step $number/$total $component: ready"
  else
    echo "step $number/$total $component: FAILED, it is still missing" >&2
    failed=1
    break
  fi
done
if [ "$failed" != 0 ]; then
  exit 1
fi
echo "done"
