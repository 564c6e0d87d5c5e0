// The key text of a peer that announced no MAC address, completed when the
// views are rebuilt: from the address-to-MAC map, the kernel's neighbour
// table or, failing both, a key made from the peer's names.
#pragma once

class CConfig;
class HostRecord;
class NeighbourTable;

namespace PeerKeyCompletion {

// Gives a peer with an empty key text its key; a peer that has one is not
// changed (false). config and neighbours may be null.
bool CompleteKey(HostRecord &host, const CConfig *config, const NeighbourTable *neighbours);
// The memo name and the custom group kept under the peer's key, when the
// configuration has them (each cut to 49 bytes).
void ApplyMemoData(HostRecord &host, const CConfig &config);

} // namespace PeerKeyCompletion
