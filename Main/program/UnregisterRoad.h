#pragma once

namespace vek {

// The "-unregister" run: gives up the client's registration at the update server, then, when
// the service is installed, stops it, deletes the machine-wide key and deletes the service,
// without pausing and without showing or logging anything.
void UnregisterRoad();

} // namespace vek
