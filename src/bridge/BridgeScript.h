#pragma once
// The page side of the bridge, embedded from bridge.js at build time.

namespace nimbo {
const char* bridgeScriptSource();
}
