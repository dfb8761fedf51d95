#pragma once
// The connection to the board: opening a port for commands. Taking the link down, and its
// state, are serial_link.h's; the panel's Connect, timer and check are connection_panel.h's.

#include "link/result.h"

// Opens COM port `port` for the link (OpenLinkPort), logs "Connected to
// COM<n>", marks the link connected and, when speedTest is nonzero, runs the
// speed test; then tells the link's view that the link is up. Returns success when the link is
// still up afterwards; PortNotOpened when the port did not open (its lines logged; the link stays
// down); NotConnected when the speed test's events took the link down again
// (the operator pressed Disconnect, or the device vanished).
LinkResult OpenLinkOn(int port, int speedTest);
