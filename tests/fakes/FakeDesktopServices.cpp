// Compiles the header-only fakes once, so a broken fake fails the build at once.
#include "tests/fakes/FakeDesktopServices.h"
