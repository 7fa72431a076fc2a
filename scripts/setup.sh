#!/usr/bin/env bash
# Installs what building pplcam and running its demo need on a Debian
# machine (scripts/packages.d/setup/). The test command installs what only
# the tests need itself. Runs apt-get as root (through sudo when not root).
# Packages already present are not fetched again.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib/apt-install.sh"
. "$here/lib/install-lists.sh"
install_package_lists setup "$here/packages.d/setup"
