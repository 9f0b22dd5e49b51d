# Sourced by the scripts that run Wine. Keeps Wine quiet and fast.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# Under qemu emulation Wine probes the whole reserved guest space at start-up;
# a reservation just above 2 GiB makes a 32-bit start take seconds, not a minute.
export QEMU_RESERVED_VA=0x81000000
