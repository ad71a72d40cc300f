#!/bin/sh
# Installs the tablet's udev rule, lets udev apply it again, and prints each USB device's vendor
# with its tags: "256c :uaccess:" is expected for the tablet, and no uaccess for the others.
rule=$1
mkdir -p /etc/udev/rules.d
cp "$rule" /etc/udev/rules.d/
udevadm control --reload
udevadm trigger --subsystem-match=usb --action=add
udevadm settle
for device in /sys/bus/usb/devices/*; do
    [ -f "$device/idVendor" ] || continue
    tags=$(udevadm info --query=property --path="$device" | sed -n 's/^TAGS=//p')
    echo "usb device $(cat "$device/idVendor") tags ${tags:-none}"
done
