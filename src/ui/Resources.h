#pragma once

// Registers the pictures compiled into the user-interface library. Static
// libraries drop resources nobody names, so every entry point calls this
// (more than once is harmless).
void InitResources();
