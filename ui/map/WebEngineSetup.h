#pragma once

// What the map's web engine needs settled before the application object exists: shared GL
// contexts, and as root (containers, CI) Chromium's sandbox off, which it otherwise refuses to
// start without. Every program that may show the map calls this first.
void prepareWebEngineBeforeApplication();
