#include "app/AppContext.h"

#include "app/PalvaroApplication.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "platform/ClockChange.h"
#include "platform/Network.h"
#include "platform/Power.h"
#include "platform/ResourceLibrary.h"
#include "platform/Tray.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"

TAppContext::TAppContext() = default;

// The store goes before the list it saves from (members end in reverse order).
TAppContext::~TAppContext() = default;
