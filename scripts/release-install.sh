#!/bin/sh
# Installs Cadrelle @VERSION@ for one user from this unpacked release archive:
#   ./install.sh [PREFIX]        (PREFIX defaults to ~/.local)
# The program goes to PREFIX/lib/cadrelle/@VERSION@, the link
# PREFIX/lib/cadrelle/current names that version and PREFIX/bin/cadrelle
# starts it through the link, so the program can later update itself. The
# menu entry, icons, manual page, documentation and shell completions go to
# PREFIX/share.
set -eu
version=@VERSION@
prefix=${1:-$HOME/.local}
here=$(cd "$(dirname "$0")" && pwd -P)
if [ ! -x "$here/bin/cadrelle" ]; then
    echo "install.sh: $here/bin/cadrelle is missing; unpack the whole archive first." >&2
    exit 1
fi

mkdir -p "$prefix/lib/cadrelle" "$prefix/bin" "$prefix/share"
prefix=$(cd "$prefix" && pwd -P)
versions=$prefix/lib/cadrelle
target=$versions/$version
if [ "$here" != "$target" ]; then
    # Copied under a temporary name first, so a failed copy leaves no
    # half-installed version behind.
    staging=$(mktemp -d "$versions/.staging-XXXXXX")
    trap 'rm -rf "$staging"' EXIT
    cp -R "$here/." "$staging/"
    # Marks the folder as installed by Cadrelle: updates remove such folders
    # once their version is older than the one running, and no others.
    rm -rf "$staging/.cadrelle-installed"
    printf '%s\n' "$version" >"$staging/.cadrelle-installed"
    rm -rf "$target"
    mv "$staging" "$target"
fi

# Each link is made under a temporary name and renamed over the old one.
ln -s "$version" "$versions/.current-$$"
mv -T "$versions/.current-$$" "$versions/current"
ln -s ../lib/cadrelle/current/bin/cadrelle "$prefix/bin/.cadrelle-$$"
mv -T "$prefix/bin/.cadrelle-$$" "$prefix/bin/cadrelle"

for folder in applications icons man doc bash-completion zsh; do
    if [ -d "$target/share/$folder" ]; then
        cp -R "$target/share/$folder" "$prefix/share/"
    fi
done

echo "Cadrelle $version is installed in $prefix. Start it with: $prefix/bin/cadrelle app"
case ":${PATH:-}:" in
*":$prefix/bin:"*) ;;
*) echo "Add $prefix/bin to PATH to start it as: cadrelle app" ;;
esac
