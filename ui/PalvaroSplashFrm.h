#pragma once
// The start-up splash: the "SPL0" picture with the version on it.

#include "ui/vornSplashFrm.h"

class QLabel;
class TFormShaper;
class TResourceLibrary;

class TPalvaroSplashForm : public TvornSplashForm {
    Q_OBJECT
public:
    TPalvaroSplashForm(const TResourceLibrary *library, const QString &version, QWidget *parent = nullptr);

private:
    QLabel *lblTitle;
    TFormShaper *Shaper;
};
