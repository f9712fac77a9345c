#pragma once

// Each area of the tool prints its own figures; the bench program runs them in turn.
// The child side of benchStartup: starts the window and reports when it is shown.
// bare: an empty window of the same size instead of the tool's.
int startupChild(int argc, char *argv[], bool bare);
void benchStartup(const char *program);
void benchEditing();
void benchDownload();
void benchPrinting();
