# Shared by setup.sh and run-tests.sh: installs the Debian packages named in
# the lists of one folder of scripts/packages.d (one name a line, '#' starts
# a comment). setup/ holds what building and the demo need (setup.sh),
# test/ what only the tests need (run-tests.sh).
# Usage: install_package_lists LABEL FOLDER
install_package_lists() {
  local label="$1" folder="$2" packages=() list name
  for list in "$folder"/*.txt; do
    [ -e "$list" ] || continue
    while read -r name; do
      case "$name" in ''|'#'*) ;; *) packages+=("$name") ;; esac
    done < "$list"
  done
  apt_install_missing "$label" "${packages[@]}"
}
