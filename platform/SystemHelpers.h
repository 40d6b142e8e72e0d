#pragma once
// Small stateless wrappers around desktop services that several windows need.

#include "core/vornFile.h" // SafeFileName

#include <QImage>
#include <QString>
#include <functional>

class IMessageBoxes;
class TImageList;
namespace Shell {
class IShell;
}
class TResourceLibrary;

// One line about the running system: "P Version major.minor (Build n: text)",
// empty when the system does not say. Here P is the kernel ("Linux"), the
// numbers come from the kernel release and the text is the distribution's name.
QString OSVersionText();
// The same from given parts (kernel type, kernel release, distribution name).
QString FormatOSVersionText(const QString &kernelType, const QString &kernelRelease, const QString &systemName);

// Creates (enable) or removes the log-on start entry called name that starts
// programPath. Failures are logged; false then.
bool SetRunOnStartup(const QString &name, const QString &programPath, bool enable);
// Whether the log-on start entry of the program exists (logged).
bool RunOnStartupExists(const QString &programName);

// Gives the picture of a name, a null image when there is none.
using TPictureSource = std::function<QImage(const QString &name)>;
// Puts pictures prefix+"0" .. prefix+(count-1) at indexes 0 .. count-1,
// replacing what is there; lime green is transparent. Their variants at twice
// the size come along where the source has them.
void LoadNumberedImages(const TPictureSource &module, TImageList &list, int count, const QString &prefix);
void LoadNumberedImages(const TResourceLibrary &module, TImageList &list, int count, const QString &prefix);
// One picture at one index.
void LoadImage(const TPictureSource &module, TImageList &list, int index, const QString &name);
void LoadImage(const TResourceLibrary &module, TImageList &list, int index, const QString &name);

// Opens a document, folder or internet address with the desktop's default
// application; the outcome is not checked.
void OpenWithShell(Shell::IShell &shell, const QString &path);
// Opens a new mail in the user's mail program; "Error 14" through boxes when
// there is none.
void SendContactEmail(Shell::IShell &shell, IMessageBoxes *boxes, const QString &address, const QString &subject,
                      const QString &body);
