#pragma once
// The bridge: a small ActionScript 2 movie that a player without a
// SetVariable of its own (Ruffle) loads first. It gives the host three
// ExternalInterface callbacks, tells the host that they exist, and then
// loads the book's movie into _level0 in its own place. README.md in this
// folder states the contract.
#include <string>

namespace vellix::swf {

// The FSCommand that the bridge sends once its callbacks are registered.
constexpr char kBridgeReadyCommand[] = "vellix_bridge_ready";
// Its args: the version of the contract.
constexpr char kBridgeVersion[] = "1";
// The FlashVar that names the movie to load into _level0.
constexpr char kBridgeMovieVar[] = "movie";
// The callbacks.
constexpr char kBridgeSetVariable[] = "SetVariable";
constexpr char kBridgeGetVariable[] = "GetVariable";
constexpr char kBridgeLoadMovie[] = "LoadMovie";

// The bridge movie file (uncompressed, version 8).
std::string BridgeMovie();

}  // namespace vellix::swf
