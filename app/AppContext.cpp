#include "app/AppContext.h"

#include "app/PalvaroApplication.h"
#include "core/vornIniFile.h"
#include "core/vornLogFile.h"
#include "platform/ClockChange.h"
#include "platform/DesktopMessageBoxes.h"
#include "platform/Network.h"
#include "platform/Power.h"
#include "platform/ResourceLibrary.h"
#include "platform/Shell.h"
#include "platform/SoundPlayer.h"
#include "platform/Tray.h"
#include "scheduler/ActionFactory.h"
#include "storage/GlobalPreferences.h"
#include "storage/vornStorage.h"

TAppContext::TAppContext()
    : Boxes(std::make_unique<TDesktopMessageBoxes>())
    , Shell(Shell::CreateDesktopShell())
    , Sound(Sound::CreateDesktopPlayer())
{
    Actions.Boxes = Boxes.get();
    Actions.Shell = Shell.get();
    Actions.Sound = Sound.get();
    ActionWindows = std::make_unique<TActionWindowFactory>(Actions);
    Actions.ActionWindows = ActionWindows.get();
}

// The store goes before the list it saves from (members end in reverse order).
TAppContext::~TAppContext() = default;
