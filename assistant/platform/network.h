#pragma once
// The connectivity test that chooses between online and offline behaviour
// (registering through the service or through a QR code). It asks the
// operating system only; nothing is sent.

// True when a network interface other than loopback is up, running and has
// an address (or what a test forced).
bool isNetworkConnected();

// Tests force either answer; Unforced goes back to asking the system.
enum class NetworkState { Unforced, Connected, Disconnected };
void forceNetworkState(NetworkState state);
