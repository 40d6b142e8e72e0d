#pragma once
// The manual update check as the Reminders window's Help menu and the
// preferences window's About page start it: the endpoints of the running
// edition, the program's own version and build date, the web client.

struct TAppContext;

namespace UpdateCheck {
// True when the build was given an update address.
bool Available(const TAppContext &context);
// Opens a new update check window and returns at once.
void Start(TAppContext &context);
} // namespace UpdateCheck
