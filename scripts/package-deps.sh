#!/usr/bin/env bash
# What `make package` and `make check-package` need beyond the build's own
# packages: dpkg-shlibdeps, the checkers, bash-completion (where completions
# go), man-db (the manual pages' check), and SDL2 and PhysicsFS for the
# reader's adapters in the -dev package.
set -euo pipefail
exec bash "$(dirname "$0")/install-deps.sh" \
  dpkg-dev file lintian desktop-file-utils appstream bash-completion man-db pkgconf \
  libsdl2-dev libphysfs-dev
