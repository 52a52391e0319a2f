#pragma once

// Text drawing needs a QGuiApplication. A program without one (lurctl, tests) calls this
// once from its main thread to get an offscreen one that lives until exit; with an
// application already present it does nothing. False when none could be created.
bool EnsureFontRuntime();
