#pragma once

// Each area of the tool prints its own figures; the bench program runs them in turn.
// The child side of benchStartup: starts the window and reports when it is shown.
enum class StartupWindow { Tool, Bare, OneLabel };
int startupChild(int argc, char *argv[], StartupWindow kind);
void benchStartup(const char *program);
void benchEditing();
void benchRecovery();
void benchDownload();
void benchPrinting();
