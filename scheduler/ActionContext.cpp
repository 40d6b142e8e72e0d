#include "scheduler/ActionContext.h"

#include "model/TaskList.h"

#include <QMetaMethod>

void TOpenWindows::ListChanged()
{
    if (TaskList && !TaskForm)
        emit RefreshListRequested();
}

bool TOpenWindows::CanChangeSchedule() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TOpenWindows::ChangeScheduleRequested));
}

const TPreferences &TActionContext::Prefs() const
{
    if (Preferences)
        return *Preferences;
    static const TPreferences defaults;
    return defaults;
}

void TActionContext::MarkListModified() const
{
    if (List)
        List->MarkModified();
}
