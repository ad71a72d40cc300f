#!/bin/sh
# Runs the program as an ordinary user, without the udev rule: the tablet's device node is
# root's alone, so the program must say that permission is denied and point at the rule.
echo "desk:x:1000:1000::/tmp:/bin/sh" >>/etc/passwd
su desk -c "$1"
