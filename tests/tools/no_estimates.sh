#!/bin/sh
# Fails when the trainer's compiled arithmetic holds a reciprocal estimate
# (RCPSS/RCPPS, RSQRTSS/RSQRTPS and their AVX forms). Their bits differ
# between Intel's and AMD's processors, so weights learned with them depend
# on the machine that trained, not only on the corpus and the seed.
#   no_estimates.sh OBJECT...   (CTest may hand them over as one ;-list)
set -eu
IFS=' ;
'
set -- $*
[ $# -gt 0 ] || { echo "no_estimates: no object files given" >&2; exit 2; }
found=0
for obj in "$@"; do
    [ -f "$obj" ] || { echo "no_estimates: $obj: no such object file" >&2; exit 2; }
    hits=$(objdump -d --no-show-raw-insn "$obj" | grep -cE '[[:space:]]v?(rcp|rsqrt)(ss|ps)[[:space:]]' || true)
    if [ "$hits" -gt 0 ]; then
        echo "$obj: $hits reciprocal estimate instructions" >&2
        found=1
    fi
done
[ $found -eq 0 ] && echo "no reciprocal estimates in $# object files"
exit $found
