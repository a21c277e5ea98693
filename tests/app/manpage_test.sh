#!/usr/bin/env bash
# The manual page lists exactly the options `tessaly --help` prints, and
# names the helpers the package installs.
#   manpage_test.sh TESSALY_BINARY MAN_PAGE
set -euo pipefail
tessaly=$1
page=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

# Option names at the start of the lines of the help's option list
# ("  -h, --help  show this help" gives -h and --help).
help=$(LANG=C LC_ALL=C LANGUAGE= "$tessaly" --help) || fail "tessaly --help failed"
from_help=$(awk '/^Options:/ { on = 1; next } on && /^[^[:space:]]/ { on = 0 } on' <<<"$help" \
    | sed -n 's/^[[:space:]]*\(-[^[:space:],]*\(, *-[^[:space:],]*\)*\).*/\1/p' \
    | tr ',' '\n' | sed 's/[[:space:]]//g; s/=.*//; s/<.*//' | grep -v '^$' | sort -u)
[ -n "$from_help" ] || fail "no options found in tessaly --help:"$'\n'"$help"

# The tagged lines under .SH OPTIONS (".B \-\-copy", ".BR \-h \", \" \-\-help").
from_page=$(awk '/^\.SH / { on = ($2 == "OPTIONS"); next } on && prev == ".TP" { print } { prev = $0 }' "$page" \
    | sed 's/^\.[A-Z]* //; s/\\-/-/g; s/"//g; s/\\f[BIRP]//g' | tr ', ' '\n\n' | grep '^-' | sort -u)

if [ "$from_help" != "$from_page" ]; then
    echo "tessaly --help: $(echo $from_help)" >&2
    echo "manual page:    $(echo $from_page)" >&2
    fail "the manual page's OPTIONS and tessaly --help disagree"
fi

for helper in exiftool tessaly-pdf-clean mkvpropedit; do
    sed 's/\\-/-/g' "$page" | grep -q "/$helper\$" || fail "FILES does not name $helper"
done
