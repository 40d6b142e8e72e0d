#include "scheduler/ActionContext.h"

#include "model/TaskList.h"

void TOpenWindows::ListChanged() const
{
    if (TaskList && !TaskForm && RefreshTaskList)
        RefreshTaskList();
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
