#include "app/UpdateCheck.h"

#include "app/AppContext.h"
#include "app/PalvaroApplication.h"
#include "extras/CheckVersionFrm.h"
#include "platform/CurlHttp.h"

namespace UpdateCheck {

bool Available(const TAppContext &c)
{
    return c.Environment && !c.Environment->GetInternet(QStringLiteral("VERSION-CHECK-FILE")).isEmpty();
}

void Start(TAppContext &c)
{
    const TPalvaroApplication &app = *c.Environment;
    TUpdateCheckSettings s;
    s.VersionCheckFile = app.GetInternet(QStringLiteral("VERSION-CHECK-FILE"));
    s.DownloadUpdate = app.GetInternet(QStringLiteral("DOWNLOAD-UPDATE"));
    s.TempFolder = app.GetFolder(QStringLiteral("TEMP"));
    s.Version = app.Version;
    s.BuildDate = app.BuildDate;
    s.Http = std::make_shared<TCurlHttpClient>();
    CheckforUpdates(c.Actions, s);
}

} // namespace UpdateCheck
