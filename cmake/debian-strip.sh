#!/bin/sh
# strip as Debian's dh_strip strips a program: the compiler's notes go too.
exec strip --remove-section=.comment --remove-section=.note "$@"
